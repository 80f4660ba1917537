// "Отчёт ..." in the analysis window: usable after a pass, asks where to
// save, builds the report on the worker under the wait dialog and writes the
// PDF (never opening a viewer offscreen).
#include "CControlBar.h"
#include "CShowDataWindow.h"
#include "CWaitDialog.h"
#include "EcgFixture.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class ReportWindow : public ::testing::Test {
protected:
    QAbstractButton* ReportButton()
    {
        return window->findChild<QAbstractButton*>(QStringLiteral("id%1").arg(kIdReport));
    }
    void OpenAndProcess(const std::string& path)
    {
        dialogs.QueueFile(path);
        window->show();
        QTRY_COMPARE_WITH_TIMEOUT(window->PassesDone(), 1, 120000);
    }

    TestDialogs dialogs;
    TempDir dir;
    std::unique_ptr<CShowDataWindow> window = std::make_unique<CShowDataWindow>();
};

TEST_F(ReportWindow, WritesTheReportWhereTheUserSaid)
{
    window->show();
    QTRY_COMPARE(dialogs.FileRequests().size(), 1u); // the file choice, cancelled
    ASSERT_NE(ReportButton(), nullptr);
    EXPECT_EQ(ReportButton()->text().toStdString(), "Отчёт ...");
    EXPECT_FALSE(ReportButton()->isEnabledTo(window.get())) << "nothing processed yet";

    const std::string recording = dir.File("ЭКГ_2010_05_12, 14_30_05, 0x00010000.экг");
    WriteRecording(recording, 1300, [](int64_t i) { return SyntheticEcg(i); }); // about five minutes
    dialogs.QueueFile(recording);
    window->Command(kCmdChooseFile);
    QTRY_COMPARE_WITH_TIMEOUT(window->PassesDone(), 1, 120000);
    ASSERT_TRUE(ReportButton()->isEnabledTo(window.get()));

    const std::string pdf = dir.File("отчёт.pdf");
    dialogs.QueueFile(pdf);
    std::string waitTitle;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto* wait = qobject_cast<CWaitDialog*>(QApplication::activeModalWidget()))
            waitTitle = wait->windowTitle().toStdString();
    });
    watcher.start(1);
    QTest::mouseClick(ReportButton(), Qt::LeftButton);
    watcher.stop();

    const FileDialogRequest request = dialogs.FileRequests().back();
    EXPECT_EQ(request.title, "Сохранить отчёт");
    EXPECT_EQ(request.folder, dir.Path() + "/");
    EXPECT_EQ(request.fileName, "ЭКГ_2010_05_12, 14_30_05, 0x00010000 - отчёт.pdf");
    EXPECT_EQ(request.defaultExt, "pdf");
    QFile written(QString::fromStdString(pdf));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(5), QByteArray("%PDF-"));
    EXPECT_GT(written.size(), 10000);
    for (const RecordedMessage& m : dialogs.Messages())
        ADD_FAILURE() << m.caption << ": " << m.text;
    if (!waitTitle.empty()) { // the dialog may come and go between two looks
        EXPECT_EQ(waitTitle, "Ждите, идет подготовка отчёта");
    }
    EXPECT_FALSE(window->PassRunning());
}

TEST_F(ReportWindow, CancelledSaveWritesNothing)
{
    const std::string recording = dir.File("rec.экг");
    WriteRecording(recording, 100, [](int64_t i) { return SyntheticEcg(i); });
    OpenAndProcess(recording);
    dialogs.QueueFile("");
    QTest::mouseClick(ReportButton(), Qt::LeftButton);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.File("rec - отчёт.pdf"))));
}

} // namespace
