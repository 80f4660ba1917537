// The analysis window's event list offscreen: the events of a pass beside
// the chart, choosing one moves the chart there with its band deeper, N and P
// step through them, and the summary counts the beat classes.
#include "CControlBar.h"
#include "CShowDataWindow.h"
#include "EcgFixture.h"
#include "EcgTime.h"
#include "TGrWnd.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kPassTimeoutMs = 120000;
constexpr double kStart = 52205.0; // 14:30:05, from the file name

ORhythmEvent Event(ORhythmKind kind, double from, double to, int beats, double bpm)
{
    // Whole samples at or just after the times, so that the list reads them back.
    return {kind, static_cast<int64_t>(std::ceil(from * kSampleRate)), static_cast<int64_t>(std::ceil(to * kSampleRate)),
            beats, bpm};
}

class EventListWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("ЭКГ_2010_05_12, 14_30_05, 0x00010000.экг");
        WriteRecording(path, 250, [](int64_t i) { return SyntheticEcg(i); }); // 60 s
        window->SetEventFinder([this](const OImpulse* impulses, int64_t count, int64_t totalSamples) {
            seenCount = count;
            seenTotal = totalSamples;
            seenImpulses = impulses;
            ORhythmSummary summary;
            summary.events = events;
            return summary;
        });
    }
    void OpenAndProcess()
    {
        dialogs.QueueFile(path);
        window->show();
        QTRY_COMPARE_WITH_TIMEOUT(window->PassesDone(), 1, kPassTimeoutMs);
    }
    QTreeView* List() { return window->findChild<QTreeView*>("idEventList"); }
    void ExpectShown(int row)
    {
        ASSERT_EQ(window->ChosenEvent(), row);
        const ORhythmEvent& e = events[row];
        const double from = e.startSample * kSamplePeriod + kStart - 3.0;
        const double to = std::min(e.endSample * kSamplePeriod + kStart + 3.0, from + 30.0);
        EXPECT_NEAR(window->Chart()->XAxis().viewLo, from, 1e-6) << row;
        EXPECT_NEAR(window->Chart()->XAxis().viewHi, to, 1e-6) << row;
        EXPECT_EQ(List()->currentIndex().row(), row);
    }
    // QTest types only Latin letters.
    void CyrillicKey(int key, const char* letter)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromUtf8(letter));
        QApplication::sendEvent(List(), &press);
    }
    // Share of white pixels in the column of the ECG pane at time t.
    double WhiteShare(const QImage& image, int pane, double t)
    {
        TGrWnd* chart = window->Chart();
        const QRect plot = chart->PlotRect(pane);
        const TGrDia& x = chart->XAxis();
        const int column = plot.left() + static_cast<int>((t - x.viewLo) * plot.width() / (x.viewHi - x.viewLo));
        int white = 0;
        for (int y = plot.top(); y <= plot.bottom(); ++y)
            white += image.pixel(column, y) == qRgb(255, 255, 255);
        return static_cast<double>(white) / plot.height();
    }

    TestDialogs dialogs;
    TempDir dir;
    std::string path;
    std::vector<ORhythmEvent> events = {
        Event(ORhythmKind::Pause, 10.0, 12.5, 2, 0.0),
        Event(ORhythmKind::VT, 25.0, 27.0, 4, 160.0),
        Event(ORhythmKind::AF, 36.0, 51.0, 20, 95.0),
    };
    int64_t seenCount = -1, seenTotal = -1;
    const OImpulse* seenImpulses = nullptr;
    std::unique_ptr<CShowDataWindow> window = std::make_unique<CShowDataWindow>();
};

TEST_F(EventListWindow, ChoosingAnEventMovesTheChartThereWithItsBandDeeper)
{
    ASSERT_NE(List(), nullptr);
    OpenAndProcess();
    EXPECT_EQ(seenCount, window->File().ImpulseInfo().Count());
    EXPECT_EQ(seenImpulses, window->File().ImpulseInfo().Data());
    EXPECT_EQ(seenTotal, 250 * 234);
    ASSERT_TRUE(List()->isVisible());
    ASSERT_EQ(List()->model()->rowCount(), 3);
    EXPECT_EQ(List()->model()->index(1, 3).data().toString().toStdString(), "Желудочковая тахикардия");
    EXPECT_EQ(List()->model()->index(1, 0).data().toString().toStdString(), "14:30:30");
    EXPECT_FALSE(List()->toolTip().isEmpty());
    // On the offscreen screen's 800 pixels: time, duration and rate whole,
    // and room for the kind.
    QHeaderView* header = List()->header();
    EXPECT_LE(header->sectionPosition(3) + 60, List()->viewport()->width());
    EXPECT_EQ(window->ChosenEvent(), -1);
    auto* filtered = window->findChild<QAbstractButton*>("id1035");
    ASSERT_FALSE(filtered->isChecked()) << "the default ticks show no ECG";

    // A click on the row, as the user chooses.
    List()->scrollTo(List()->model()->index(1, 0));
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualRect(List()->model()->index(1, 0)).center());
    ExpectShown(1);
    EXPECT_TRUE(filtered->isChecked()) << "an event is reviewed on the ECG";
    EXPECT_TRUE(window->findChild<QAbstractButton*>("id1036")->isChecked()) << "and its beats";
    ASSERT_EQ(window->GrList().LineType(0, 0), 100);
    ASSERT_EQ(window->GrList().LineType(1, 0), 201);

    // A choice of graphs that has ECG stays as the user made it.
    window->findChild<QAbstractButton*>("id1036")->setChecked(false);
    window->ChooseEvent(0);
    EXPECT_FALSE(window->findChild<QAbstractButton*>("id1036")->isChecked());
    window->ChooseEvent(1);
    EXPECT_TRUE(window->GrList().GetSpan(0, 1).strong);
    EXPECT_FALSE(window->GrList().GetSpan(0, 0).strong);

    // Its band covers the ECG pane's height; before its start the pane is white.
    const QImage image = window->Chart()->RenderImage();
    EXPECT_LT(WhiteShare(image, 0, kStart + 26.0), 0.05);
    EXPECT_GT(WhiteShare(image, 0, kStart + 22.5), 0.5);
}

TEST_F(EventListWindow, NextAndPreviousKeysStepThroughTheEvents)
{
    OpenAndProcess();
    window->activateWindow();
    window->setFocus();
    QApplication::processEvents();

    struct Step {
        Qt::Key key;
        int expected;
    };
    // From nothing chosen N takes the first; both ends hold.
    for (const Step& s : {Step{Qt::Key_N, 0}, Step{Qt::Key_N, 1}, Step{Qt::Key_N, 2}, Step{Qt::Key_N, 2},
                          Step{Qt::Key_P, 1}, Step{Qt::Key_P, 0}, Step{Qt::Key_P, 0}}) {
        QTest::keyClick(window.get(), s.key);
        ExpectShown(s.expected);
    }
    // The AF episode: 15 s and its margins fit the 30 s.
    window->ChooseEvent(2);
    ExpectShown(2);

    // The same keys while the list has the focus; the Russian layout's letters
    // on the same places too.
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_P);
    ExpectShown(1);
    CyrillicKey(0x0422, "Т"); // on N
    ExpectShown(2);
    CyrillicKey(0x0417, "З"); // on P
    ExpectShown(1);
    // Up and Down move in the list, and the chart follows.
    QTest::keyClick(List(), Qt::Key_Up);
    ExpectShown(0);
    // With Ctrl the keys are not the list's.
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(window->ChosenEvent(), 0);
}

TEST_F(EventListWindow, AReviewShowsTheFirstAfEpisodeAfterThePass)
{
    window->ReviewAfterPass();
    OpenAndProcess();
    ExpectShown(2);
    // Only once: the next pass leaves the choice to the user.
    window->Command(kCmdProcess);
    EXPECT_EQ(window->ChosenEvent(), -1);
}

TEST_F(EventListWindow, NoEventsAnEmptyListAndKeysDoNothing)
{
    events.clear();
    OpenAndProcess();
    EXPECT_TRUE(List()->isVisible());
    EXPECT_EQ(List()->model()->rowCount(), 0);
    const double lo = window->Chart()->XAxis().viewLo;
    QTest::keyClick(window.get(), Qt::Key_N);
    EXPECT_EQ(window->ChosenEvent(), -1);
    EXPECT_EQ(window->Chart()->XAxis().viewLo, lo);

    // Closed, the window forgets them.
    window->close();
    EXPECT_FALSE(List()->isVisible());
}

TEST_F(EventListWindow, SummaryCountsTheClassesAndTheLegendNamesSAndV)
{
    window->SetPass([](OEcgFile& file, OEKGFilter& filter, OProcessControl& control) {
        ProcessFile(file, filter, control);
        // The classifier's place: classes written by hand.
        auto* impulses = const_cast<OImpulse*>(file.ImpulseInfo().Data());
        for (int64_t i = 0; i < file.ImpulseInfo().Count(); ++i)
            impulses[i].Class = i == 3 || i == 8 ? kBeatSupra : i >= 10 && i < 13 ? kBeatVentricular : kBeatNormal;
        impulses[20].Class = kBeatUnknown;
    });
    OpenAndProcess();
    const int64_t count = window->File().ImpulseInfo().Count();
    ASSERT_GT(count, 30);
    auto* summary = window->findChild<QLabel*>("id1013");
    ASSERT_NE(summary, nullptr);
    const std::string tail =
        ", N: " + std::to_string(count - 6) + ", S: 2, V: 3, F: 0, Q: 1";
    const std::string text = summary->text().toStdString();
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
    EXPECT_EQ(text.rfind("Алгоритм распознавания: стандартный, импульсов: " + std::to_string(count), 0), 0u) << text;

    auto* impulsesBox = window->findChild<QAbstractButton*>("id1036");
    QTest::mouseClick(impulsesBox, Qt::LeftButton, {}, QPoint(4, impulsesBox->height() / 2));
    OGrList_Uevo& list = window->GrList();
    int g = 0;
    while (g < list.GetGrCount() && list.LineType(g, 0) != 201)
        ++g;
    ASSERT_LT(g, list.GetGrCount());
    std::vector<std::string> names;
    for (int k = 0; k < list.GetLineCount(g); ++k)
        names.push_back(list.GetLine(g, k)->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"Распознанные импульсы", "Наджелудочковые (S)", "Желудочковые (V)"}));
    EXPECT_EQ(list.GetLine(g, 2)->GetPointCount(), 12);
}

} // namespace
