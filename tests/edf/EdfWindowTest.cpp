// "Экспорт EDF+ ..." in the analysis window: the save dialog, the export on
// the worker under the wait dialog, and its message.
#include "CShowDataWindow.h"
#include "EcgFixture.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <QAbstractButton>
#include <QTest>

#include <edflib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

constexpr int kExportEdfButton = 1047;

TEST(EdfWindowExport, ButtonAsksForANameAndWritesTheFileOnTheWorker)
{
    UseFreshSettings();
    TestDialogs dialogs;
    TempDir dir;
    auto window = std::make_unique<CShowDataWindow>();
    auto* button = window->findChild<QAbstractButton*>(QStringLiteral("id%1").arg(kExportEdfButton));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text().toStdString(), "Экспорт EDF+ ...");

    const std::string path = dir.File("ЭКГ_2010_05_12, 14_30_05, 0x00010000.экг");
    WriteRecording(path, 120, [](int64_t i) { return SyntheticEcg(i); });
    dialogs.QueueFile(path);
    window->show();
    QTRY_COMPARE_WITH_TIMEOUT(window->PassesDone(), 1, 120000);
    ASSERT_TRUE(button->isEnabled());
    const int64_t impulses = window->File().ImpulseInfo().Count();
    ASSERT_GT(impulses, 5);

    // A cancelled save dialog does nothing.
    dialogs.Clear();
    dialogs.QueueFile("");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(dialogs.Messages().size(), 0u);

    const std::string out = dir.File("out.edf");
    dialogs.QueueFile(out);
    QTest::mouseClick(button, Qt::LeftButton);
    const auto requests = dialogs.FileRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].defaultExt, "edf");
    EXPECT_EQ(requests[1].fileName, "ЭКГ_2010_05_12, 14_30_05, 0x00010000.edf");
    EXPECT_EQ(requests[1].folder, dir.Path() + "/");
    const auto messages = dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "ЭКСПОРТ");
    EXPECT_EQ(messages[0].text.rfind("Файл EDF+ записан:\n" + out, 0), 0u) << messages[0].text;
    EXPECT_FALSE(window->PassRunning());
    EXPECT_EQ(window->PassesDone(), 1) << "the export is no processing pass";

    auto hdr = std::make_unique<edf_hdr_struct>();
    ASSERT_EQ(edfopen_file_readonly(out.c_str(), hdr.get(), EDFLIB_READ_ALL_ANNOTATIONS), 0);
    EXPECT_EQ(hdr->annotations_in_file, impulses + 1);
    EXPECT_EQ(hdr->datarecords_in_file, 24);
    edfclose_file(hdr->handle);
    EXPECT_FALSE(std::filesystem::exists(out + ".part"));

    // A place that cannot be written: an error message, and the window goes on.
    dialogs.Clear();
    dialogs.QueueFile(dir.File("missing/out.edf"));
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "ОШИБКА ЭКСПОРТА");
    EXPECT_EQ(dialogs.Messages()[0].icon, MsgIcon::Error);
}

} // namespace
