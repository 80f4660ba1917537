// The brenna command line, and the executable's screenshot mode end to end.
#include "AppWindows.h"
#include "DateCache.h"
#include "OSettings.h"
#include "PortNames.h"
#include "StartOptions.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>

TEST(StartOptions, ParsesOptionsAndRejectsMistakes)
{
    StartOptions o = ParseStartOptions({"--port", "COM4", "--screenshot=out.png", "--settings-folder", "dir"});
    EXPECT_TRUE(o.error.empty()) << o.error;
    EXPECT_EQ(o.port.value_or(""), "COM4");
    EXPECT_EQ(o.screenshot.value_or(""), "out.png");
    EXPECT_EQ(o.settingsFolder.value_or(""), "dir");
    EXPECT_EQ(o.window, nullptr);

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--port"}, {"--colour"}, {"stray"}, {"--screenshot"}})
        EXPECT_FALSE(ParseStartOptions(wrong).error.empty()) << wrong[0];
    EXPECT_TRUE(ParseStartOptions({"--help"}).help);
}

// The desktop entry runs "brenna --analyse %f": with a file from the file
// manager, without one from the menu, where the control window opens.
TEST(StartOptions, AnalyseWithoutAFileAtTheEndStartsAsUsual)
{
    const StartOptions withFile = ParseStartOptions({"--analyse", "/home/u/запись.экг"});
    EXPECT_TRUE(withFile.error.empty()) << withFile.error;
    ASSERT_NE(withFile.window, nullptr);
    EXPECT_EQ(withFile.window->option, "--analyse");
    EXPECT_EQ(withFile.windowValue, "/home/u/запись.экг");

    const StartOptions fromMenu = ParseStartOptions({"--analyse"});
    EXPECT_TRUE(fromMenu.error.empty()) << fromMenu.error;
    EXPECT_EQ(fromMenu.window, nullptr);
    EXPECT_EQ(ParseStartOptions({"--port", "COM2", "--analyse"}).port.value_or(""), "COM2");
}

TEST(StartOptions, PortArgumentSelectsANumberAndMapsAPath)
{
    EXPECT_EQ(PortNumberForArgument("COM12"), 12);
    EXPECT_EQ(PortNumberForArgument("com3"), 3);
    SetComPortPathOverride(5, "/dev/brenna-five");
    EXPECT_EQ(PortNumberForArgument("/dev/brenna-five"), 5);
    EXPECT_EQ(PortNumberForArgument("/tmp/brenna-link"), 1);
    EXPECT_EQ(ComPortPath(1), "/tmp/brenna-link");
}

TEST(StartOptions, ScreenshotOptionRendersTheControlWindowAndExits)
{
    TempDir folder;
    const std::string png = folder.File("control.png");
    const std::string command = TestBinFolder() + "/brenna --settings-folder " + folder.Path() + " --screenshot " + png;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.width(), 600);
    EXPECT_GT(image.height(), 300);
}

// A second setup under its own folder shares neither settings nor start times
// with the user's: the date cache is written and read under the folder only.
TEST(StartOptions, SettingsFolderHoldsTheDateCacheToo)
{
    TempDir folder;
    const std::string cache = folder.Path() + "/Kelvaro/Terravik_Dremlo/DATECACHE";
    const std::vector<std::string> userFolders = DateCacheFolders();
    UseSettingsFolder(folder.Path());
    EXPECT_EQ(DateCacheFolders(), (std::vector<std::string>{cache, cache}));
    EXPECT_EQ(OSettings::StorageFile().rfind(folder.Path() + "/", 0), 0u) << OSettings::StorageFile();
    ASSERT_TRUE(WriteDateCache(0x10400, 133540960890000000, 17));
    EXPECT_TRUE(std::filesystem::exists(DateCacheFileName(cache, 0x10400)));
    EXPECT_EQ(LookUpStartTime(0x10400), std::optional<int64_t>(133540960890000000));
    for (const std::string& user : userFolders)
        EXPECT_FALSE(std::filesystem::exists(DateCacheFileName(user, 0x10400))) << user;

    SetDateCacheFolders("", "");
    OSettings::SetStorageFolder(std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "");
}
