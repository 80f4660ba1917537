// Reviewing events without widgets: stepping through them, the stretch of
// time the chart shows for one, the list's texts and model, and the bands
// the graph list offers the chart.
#include "EcgTime.h"
#include "EventReview.h"
#include "OEcgFile.h"
#include "OEventTableModel.h"
#include "OGrList_Uevo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

ORhythmEvent Event(ORhythmKind kind, int64_t start, int64_t end, int beats = 10, double bpm = 0)
{
    return {kind, start, end, beats, bpm};
}

TEST(EventReview, StepsStopAtTheEndsAndStartFromNothingChosen)
{
    struct Case {
        int count, current, step, expected;
    };
    const std::vector<Case> cases = {
        {0, -1, 1, -1}, {0, -1, -1, -1}, // no events
        {3, -1, 1, 0},  {3, -1, -1, 2},  // none chosen: first forward, last backward
        {3, 0, 1, 1},   {3, 1, 1, 2},   {3, 2, 1, 2}, // stays at the last
        {3, 2, -1, 1},  {3, 0, -1, 0},               // stays at the first
        {3, 7, 1, 0},                                 // a stale choice counts as none
    };
    for (const Case& c : cases)
        EXPECT_EQ(NeighbourEvent(c.count, c.current, c.step), c.expected)
            << c.count << " " << c.current << " " << c.step;
}

TEST(EventReview, AReviewStartsAtTheFirstAfEpisode)
{
    const ORhythmEvent af = Event(ORhythmKind::AF, 500, 900), vt = Event(ORhythmKind::VT, 100, 140);
    const ORhythmEvent pause = Event(ORhythmKind::Pause, 50, 60);
    EXPECT_EQ(FirstEventToReview({}), -1);
    EXPECT_EQ(FirstEventToReview({pause, vt}), 0);
    EXPECT_EQ(FirstEventToReview({pause, vt, af, af}), 2);
}

TEST(EventReview, ViewHasMarginsAndIsCutToThirtySecondsFromOnset)
{
    const double offset = 1000.0;
    const int64_t start = 9765;
    const double t0 = start * kSamplePeriod + offset;
    struct Case {
        int64_t samples; // duration
        double hi;       // expected right edge
    };
    // 23 000 samples are 23.55 s: with both margins 29.55 s; 24 000 (24.58 s)
    // would be 30.58 s and is cut to 30.
    const std::vector<Case> cases = {
        {0, t0 + 3.0},
        {23000, t0 + 23000 * kSamplePeriod + 3.0},
        {24000, t0 - 3.0 + 30.0},
        {3600000, t0 - 3.0 + 30.0},
    };
    for (const Case& c : cases) {
        const OTimeRange r = EventViewRange(Event(ORhythmKind::AF, start, start + c.samples), offset);
        EXPECT_DOUBLE_EQ(r.lo, t0 - 3.0) << c.samples;
        EXPECT_NEAR(r.hi, c.hi, 1e-9) << c.samples;
    }
}

TEST(EventReview, TextsOfTheListColumns)
{
    struct Case {
        int64_t samples;
        const char* duration;
    };
    // 58 544 samples are 59.949 s, 58 545 are 59.950 s.
    const std::vector<Case> durations = {
        {0, "0.0 с"},          {4102, "4.2 с"},        {58544, "59.9 с"},
        {58545, "1:00"},       {63477, "1:05"},        {3514843, "59:59"},
        {3515625, "1:00:00"},  {7212891, "2:03:06"},
    };
    for (const Case& c : durations)
        EXPECT_EQ(EventDurationText(Event(ORhythmKind::AF, 100, 100 + c.samples)), c.duration) << c.samples;
    EXPECT_EQ(EventDurationText(Event(ORhythmKind::Pause, 100, 50)), "0.0 с") << "an end before the start";

    const ORhythmEvent atStart = Event(ORhythmKind::VT, 0, 10);
    EXPECT_EQ(EventTimeText(atStart, 52205.0), "14:30:05");
    EXPECT_EQ(EventTimeText(atStart, -43200.0), "12:00:00");
    EXPECT_EQ(EventTimeText(Event(ORhythmKind::VT, 977, 990), 86399.0), "00:00:00") << "past midnight";

    EXPECT_EQ(EventRateText(Event(ORhythmKind::VT, 0, 10, 5, 152.4)), "152");
    EXPECT_EQ(EventRateText(Event(ORhythmKind::Pause, 0, 10, 2, 0.0)), "") << "no rate to show";
}

TEST(EventReview, EveryKindHasItsOwnNameAndTint)
{
    std::vector<std::string> names;
    std::vector<uint32_t> tints;
    for (int k = 0; k < kRhythmKindCount; ++k) {
        const auto kind = static_cast<ORhythmKind>(k);
        const std::string name = RhythmKindTitle(kind);
        EXPECT_FALSE(name.empty()) << k;
        EXPECT_EQ(std::count(names.begin(), names.end(), name), 0) << name;
        EXPECT_EQ(std::count(tints.begin(), tints.end(), RhythmKindRgb(kind)), 0) << name;
        names.push_back(name);
        tints.push_back(RhythmKindRgb(kind));
    }
    EXPECT_EQ(names[0], "Фибрилляция предсердий");
}

TEST(EventTableModel, RowsAreTheEventsAndTheTimeFollowsTheStartTime)
{
    OEventTableModel model;
    EXPECT_EQ(model.rowCount(), 0);
    model.SetEvents({Event(ORhythmKind::AF, 0, 97656, 150, 118.6), Event(ORhythmKind::Pause, 195313, 198242, 2)},
                    3600.0);
    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 4);
    std::vector<std::string> header, row0, row1;
    for (int c = 0; c < 4; ++c) {
        header.push_back(model.headerData(c, Qt::Horizontal).toString().toStdString());
        row0.push_back(model.data(model.index(0, c)).toString().toStdString());
        row1.push_back(model.data(model.index(1, c)).toString().toStdString());
    }
    EXPECT_EQ(header, (std::vector<std::string>{"Начало", "Длительность", "ЧСС", "Событие"}));
    EXPECT_EQ(row0, (std::vector<std::string>{"01:00:00", "1:40", "119", "Фибрилляция предсердий"}));
    EXPECT_EQ(row1, (std::vector<std::string>{"01:03:20", "3.0 с", "", "Пауза"}));
    EXPECT_EQ(model.data(model.index(0, 3), Qt::ToolTipRole).toString().toStdString(), "AF, ударов: 150");
    EXPECT_FALSE(model.data(model.index(2, 0)).isValid()) << "past the last row";

    model.SetTimeOffset(0.0);
    EXPECT_EQ(model.data(model.index(1, 0)).toString().toStdString(), "00:03:20");
}

TEST(EventBands, OnlyEcgAndPulseGraphsShowThemTheChosenOneDeeper)
{
    OEcgFile file;
    OGrList_Uevo list(&file);
    std::string time = "00:01:40";
    list.Rebuild({.rawEcg = true, .filteredEcg = true, .defect = true, .pulse = true, .temperature = true}, time, 29);
    list.SetEvents({Event(ORhythmKind::AF, 0, 9766), Event(ORhythmKind::VT, 19531, 21484)});
    std::vector<int> counts;
    for (int g = 0; g < list.GetGrCount(); ++g)
        counts.push_back(list.GetSpanCount(g));
    EXPECT_EQ(counts, (std::vector<int>{2, 2, 0, 2, 0})) << "raw, filtered, defect, pulse, temperature";

    list.ChooseEvent(1);
    const GrSpan af = list.GetSpan(1, 0), vt = list.GetSpan(1, 1);
    EXPECT_DOUBLE_EQ(af.lo, 100.0);
    EXPECT_DOUBLE_EQ(af.hi, 100.0 + 9766 * kSamplePeriod);
    EXPECT_EQ(af.rgb, RhythmKindRgb(ORhythmKind::AF));
    EXPECT_FALSE(af.strong);
    EXPECT_DOUBLE_EQ(vt.lo, 100.0 + 19531 * kSamplePeriod);
    EXPECT_TRUE(vt.strong);

    // New events forget the choice.
    list.SetEvents({Event(ORhythmKind::AF, 0, 9766), Event(ORhythmKind::VT, 19531, 21484)});
    EXPECT_FALSE(list.GetSpan(1, 1).strong);
    list.SetEvents({});
    EXPECT_EQ(list.GetSpanCount(1), 0);
}

} // namespace
