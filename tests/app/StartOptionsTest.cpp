// The brenna command line, and the executable's screenshot mode end to end.
#include "PortNames.h"
#include "StartOptions.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>

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
