// The analysis window offscreen: the file choice as it comes up, the enable
// rules of the control bar, a pass under the wait dialog, the start time, the
// keys, and "Отмена".
#include "CControlBar.h"
#include "CShowDataWindow.h"
#include "CWaitDialog.h"
#include "EcgFixture.h"
#include "OSettings.h"
#include "TGrWnd.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <map>
#include <chrono>
#include <thread>

namespace {

constexpr int kPassTimeoutMs = 120000;

const std::vector<int> kAlwaysUsable = {1001, 1045, 1012};
const std::vector<int> kFileControls = {1034, 1046, 1031, 1032, 1033, 1040};
const std::vector<int> kResultBoxes = {1035, 1039, 1037, 1036, 1038, 1041, 1042, 1044};

class AnalysisWindow : public ::testing::Test {
protected:
    QWidget* Control(int id) { return window->findChild<QWidget*>(QStringLiteral("id%1").arg(id)); }
    bool Usable(int id)
    {
        QWidget* w = Control(id);
        return w != nullptr && w->isEnabledTo(window.get());
    }
    QLineEdit* StartBox() { return qobject_cast<QLineEdit*>(Control(1012)); }
    void Tick(int id)
    {
        auto* box = qobject_cast<QAbstractButton*>(Control(id));
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    }
    std::vector<std::vector<int>> Graphs()
    {
        std::vector<std::vector<int>> graphs;
        OGrList_Uevo& list = window->GrList();
        for (int g = 0; g < list.GetGrCount(); ++g) {
            graphs.emplace_back();
            for (int k = 0; k < list.GetLineCount(g); ++k)
                graphs.back().push_back(list.LineType(g, k));
        }
        return graphs;
    }
    // Shows the window on a queued file and waits for the pass to be shown.
    void OpenAndProcess(const std::string& path)
    {
        dialogs.QueueFile(path);
        window->show();
        QTRY_COMPARE_WITH_TIMEOUT(window->PassesDone(), 1, kPassTimeoutMs);
    }

    TestDialogs dialogs;
    TempDir dir;
    std::unique_ptr<CShowDataWindow> window = std::make_unique<CShowDataWindow>();
};

TEST_F(AnalysisWindow, CancelledChoiceLeavesOnlyTheFileButtonsUsable)
{
    window->show();
    QTRY_COMPARE(dialogs.FileRequests().size(), 1u);
    const FileDialogRequest request = dialogs.FileRequests()[0];
    EXPECT_EQ(request.title, "Выбирите файл ЭКГ для обработки");
    EXPECT_EQ(request.defaultExt, "экг");
    EXPECT_EQ(request.fileName, "12345.wav");
    ASSERT_EQ(request.filters.size(), 3u);
    EXPECT_EQ(request.filters[0].first, "ЭКГ - файлы (*.экг)");
    EXPECT_EQ(request.filters[0].second, "*.экг");
    EXPECT_EQ(request.filters[1].first, "WAV - файлы (*.wav)");

    QApplication::processEvents();
    for (int id : kAlwaysUsable)
        EXPECT_TRUE(Usable(id)) << id;
    for (int ids : {0, 1})
        for (int id : ids == 0 ? kFileControls : kResultBoxes)
            EXPECT_FALSE(Usable(id)) << id;
    EXPECT_EQ(window->PassesDone(), 0);
    EXPECT_EQ(window->windowTitle().toStdString(), "Обработка записей ЭКГ - выбирите файл для обработки");
    EXPECT_EQ(window->Chart()->GrList(), &window->GrList());
    EXPECT_EQ(window->GrList().GetGrCount(), 0);
}

TEST_F(AnalysisWindow, WavFileGivesItsMessageAndAnEmptyPass)
{
    OpenAndProcess(dir.File("sound.wav"));
    ASSERT_FALSE(dialogs.Messages().empty());
    EXPECT_EQ(dialogs.Messages()[0].text, "Режим открытия WAV - файлов с ЭКГ отладочный и пока не реализован");
    EXPECT_FALSE(window->File().IsOpen());
    for (int id : kResultBoxes)
        EXPECT_FALSE(Usable(id)) << id;
    EXPECT_TRUE(Graphs().empty());
}

TEST_F(AnalysisWindow, PassShowsDefaultSeriesAndStartTimeRebuilds)
{
    const std::string path = dir.File("ЭКГ_2010_05_12, 14_30_05, 0x00010000.экг");
    WriteRecording(path, 250, [](int64_t i) { return SyntheticEcg(i); });
    OpenAndProcess(path);

    EXPECT_EQ(OSettings::GetString("OPEN", "GetOpenFileName_PATH", ""), dir.Path());
    EXPECT_EQ(OSettings::GetString("OPEN", "GetOpenFileName_NAME", ""), "ЭКГ_2010_05_12, 14_30_05, 0x00010000.экг");
    EXPECT_EQ(window->windowTitle().toStdString(), "Обработка записей ЭКГ - " + path);
    for (int id : kResultBoxes)
        EXPECT_TRUE(Usable(id)) << id;
    EXPECT_FALSE(Usable(1043));
    // Ticked at start: accelerations, pulse rate, temperature.
    EXPECT_EQ(Graphs(), (std::vector<std::vector<int>>{{300}, {301}, {4, 5, 6}}));
    EXPECT_EQ(window->Chart()->PaneCount(), 3);
    EXPECT_EQ(StartBox()->text(), "14:30:05");
    EXPECT_EQ(window->GrList().StartTime(), 52205.0);

    StartBox()->setText("25:61:70");
    QTest::keyClick(StartBox(), Qt::Key_Return);
    EXPECT_EQ(StartBox()->text(), "26:02:10");
    EXPECT_EQ(window->GrList().StartTime(), 93730.0);
    EXPECT_NEAR(window->Chart()->XAxis().dataLo, 93730.0, 0.01) << "the chart shows the new time";

    Tick(1040); // XYZ apart
    Tick(1031); // raw ECG first
    EXPECT_EQ(Graphs(), (std::vector<std::vector<int>>{{0}, {300}, {301}, {4}, {5}, {6}}));
    EXPECT_EQ(window->Chart()->PaneCount(), 6);

    // Another pass on the same file keeps the file and shows the new results.
    window->Command(kCmdProcess);
    EXPECT_EQ(window->PassesDone(), 2);
    EXPECT_GT(window->File().ImpulseInfo().Count(), 50);
    auto* summary = qobject_cast<QLabel*>(Control(1013));
    ASSERT_NE(summary, nullptr);
    EXPECT_TRUE(summary->text().startsWith("Алгоритм распознавания: стандартный, импульсов: "))
        << summary->text().toStdString();

    // The detector chosen in the parameters fills the impulses of the next pass.
    OSettings::WriteInt(OEKGFilterParams::kSection, OEKGFilterParams::kDetectorKey, 1);
    window->Command(kCmdProcess);
    OSettings::WriteInt(OEKGFilterParams::kSection, OEKGFilterParams::kDetectorKey, 0);
    EXPECT_EQ(window->PassesDone(), 3);
    const auto& impulses = window->File().ImpulseInfo();
    EXPECT_GT(impulses.Count(), 50);
    int64_t flagged = 0;
    std::map<char, int64_t> classes;
    for (int64_t i = 0; i < impulses.Count(); ++i) {
        flagged += impulses[i].Flags != 0;
        ++classes[impulses[i].Class];
    }
    // Once the beat classifier has run, the count of every class follows.
    std::string perClass;
    if (classes[kBeatUnclassified] < impulses.Count())
        for (char c : {'N', 'S', 'V', 'F', 'Q'})
            perClass += std::string(", ") + c + ": " + std::to_string(classes[c]);
    EXPECT_EQ(summary->text().toStdString(), "Алгоритм распознавания: точный, импульсов: " +
                                                 std::to_string(impulses.Count()) + ", помеченных: " +
                                                 std::to_string(flagged) + perClass);
}

TEST(AnalysisControlBar, SummaryIsLaidOutWholeAtOnce)
{
    // A screenshot right after a pass takes no event loop turn in between.
    QWidget window;
    CControlBar bar(&window);
    bar.resize(1000, 200);
    window.show();
    QCoreApplication::processEvents();
    bar.SetSummary("Алгоритм распознавания: стандартный, импульсов: 700, помеченных: 2");
    auto* summary = bar.findChild<QLabel*>("id1013");
    ASSERT_NE(summary, nullptr);
    EXPECT_GE(summary->width(), summary->sizeHint().width());
}

TEST_F(AnalysisWindow, FileCheckSaysWhatIsWrongAndStaysHiddenForARecording)
{
    // Every sector of the fixture has sector number 0 and tick count 0.
    const std::string path = dir.File("check.экг");
    WriteRecording(path, 30, [](int64_t i) { return SyntheticEcg(i); });
    OpenAndProcess(path);
    const QLabel* check = window->CheckText();
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->objectName(), "RecordingCheck");
    EXPECT_TRUE(check->isVisible());
    EXPECT_EQ(check->text().toStdString(), "Нарушена последовательность номеров секторов: 29 раз, впервые в секторе 1\n"
                                           "Нарушена последовательность отсчетов времени: 29 раз, впервые в секторе 1");
    EXPECT_GT(window->File().ImpulseInfo().Count(), 0) << "analysed all the same";

    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        for (uint32_t k = 0; k < 30; ++k) {
            const uint32_t fields[2] = {0x10000 + k, 2340 * k};
            file.seekp(512 * k + 8);
            file.write(reinterpret_cast<const char*>(fields), sizeof fields); // little-endian machine
        }
    }
    window->OpenChosenFile(path);
    QTRY_COMPARE_WITH_TIMEOUT(window->PassesDone(), 2, kPassTimeoutMs);
    EXPECT_FALSE(check->isVisible());
}

TEST_F(AnalysisWindow, EscapeSwitchesBetweenBarAndWindowOtherKeysGoToTheChart)
{
    const std::string path = dir.File("keys.экг");
    WriteRecording(path, 100, [](int64_t i) { return SyntheticEcg(i); });
    OpenAndProcess(path);
    window->activateWindow();
    window->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(window->hasFocus());

    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->Bar()->hasFocus());
    QTest::keyClick(window->Bar(), Qt::Key_Escape);
    EXPECT_TRUE(window->hasFocus());

    ASSERT_EQ(window->Chart()->XAxis().isFull, 1);
    QTest::keyClick(window.get(), Qt::Key_Right, Qt::ShiftModifier); // zoom in on the time axis
    EXPECT_EQ(window->Chart()->XAxis().isFull, 0);
}

TEST_F(AnalysisWindow, CancelStopsThePassAndShowsWhatWasDone)
{
    const std::string path = dir.File("long.экг");
    WriteRecording(path, 400, [](int64_t i) { return SyntheticEcg(i); });
    // The pass holds until "Отмена" was pressed, so the click always lands
    // while it runs.
    std::atomic<bool> cancelSeen{false};
    window->SetPass([&](OEcgFile& file, OEKGFilter& filter, OProcessControl& control) {
        for (int i = 0; i < kPassTimeoutMs && control.cancel.load() == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        cancelSeen = control.cancel.load() != 0;
        ProcessFile(file, filter, control);
    });
    bool stayedOpen = false;
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        auto* wait = qobject_cast<CWaitDialog*>(QApplication::activeModalWidget());
        if (wait == nullptr)
            return;
        clicker.stop();
        EXPECT_EQ(wait->windowTitle().toStdString(), "Ждите, идет обработка ЭКГ");
        auto* text = wait->findChild<QLabel*>("idText");
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->text().toStdString(), path + "\nПрочитано 0 кб, найдено импульсов ЭКГ: 0");
        auto* cancel = wait->findChild<QAbstractButton*>("id2");
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text().toStdString(), "Отмена");
        cancel->click();
        stayedOpen = wait->isVisible(); // it waits for the worker to stop
    });
    clicker.start(5);
    OpenAndProcess(path);

    EXPECT_TRUE(cancelSeen.load());
    EXPECT_TRUE(stayedOpen);
    EXPECT_TRUE(window->File().IsOpen());
    EXPECT_LT(window->File().ProcessedN(), 400 * 234 - 300) << "stopped before the end";
    EXPECT_TRUE(Usable(1038)) << "the results so far are offered";
    EXPECT_EQ(Graphs(), (std::vector<std::vector<int>>{{300}, {301}, {4, 5, 6}}));
}

TEST_F(AnalysisWindow, ShowingAgainOnlyFocusesClosingReleasesTheFile)
{
    const std::string path = dir.File("again.экг");
    WriteRecording(path, 20, [](int64_t i) { return SyntheticEcg(i); });
    OpenAndProcess(path);
    window->show();
    QApplication::processEvents();
    EXPECT_EQ(dialogs.FileRequests().size(), 1u);
    EXPECT_TRUE(window->File().IsOpen());

    Tick(1031);
    window->close();
    EXPECT_FALSE(window->File().IsOpen());
    EXPECT_EQ(window->GrList().GetGrCount(), 0);
    window->show();
    QTRY_COMPARE(dialogs.FileRequests().size(), 2u); // a new choice as it comes up
    EXPECT_FALSE(qobject_cast<QAbstractButton*>(Control(1031))->isChecked()) << "fresh ticks";
    EXPECT_TRUE(qobject_cast<QAbstractButton*>(Control(1033))->isChecked());
    EXPECT_TRUE(StartBox()->text().isEmpty());
    EXPECT_EQ(dialogs.FileRequests()[1].folder, dir.Path());
    EXPECT_EQ(dialogs.FileRequests()[1].fileName, "again.экг");
}

} // namespace
