// Ventricular and supraventricular runs, couplets, bigeminy and trigeminy at
// the boundaries of their rules: the number of beats, the rate of a run
// (100 bpm), the number of repetitions of a pattern (3).
#include "BeatSeries.h"
#include "EctopicRuns.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>

namespace {

// 100 bpm is 585.94 samples: 585 is just faster, 586 just slower.
constexpr int32_t kFaster100 = 585, kSlower100 = 586;
constexpr int32_t k90Bpm = 651;

struct ORunCase {
    const char* name;
    std::string run;  // classes of the beats between two stretches of sinus rhythm
    int32_t interval; // samples between the run's beats
    std::map<ORhythmKind, int> expected;
};

void PrintTo(const ORunCase& c, std::ostream* os)
{
    *os << c.name;
}

class EctopicRunsTest : public testing::TestWithParam<ORunCase> {};

TEST_P(EctopicRunsTest, FindsExactlyTheEventsOfTheRun)
{
    const ORunCase& c = GetParam();
    BeatSeries s;
    s.Steady(75, 20);
    for (const char cls : c.run)
        s.Samples(c.interval, cls);
    s.Steady(75, 20);
    const ORhythmSummary events = s.Events();
    std::map<ORhythmKind, int> found;
    for (const ORhythmEvent& e : events.events)
        ++found[e.kind];
    EXPECT_EQ(found, c.expected);
}

const ORunCase kRunCases[] = {
    {"single_v", "V", kFaster100, {}},
    {"couplet", "VV", kFaster100, {{ORhythmKind::Couplet, 1}}},
    {"slow_couplet_still_couplet", "VV", k90Bpm, {{ORhythmKind::Couplet, 1}}},
    {"vt_3_at_100", "VVV", kFaster100, {{ORhythmKind::VT, 1}}},
    {"vt_3_below_100", "VVV", kSlower100, {}},
    {"vt_3_at_90", "VVV", k90Bpm, {}},
    {"vt_8", "VVVVVVVV", 400, {{ORhythmKind::VT, 1}}},
    {"two_s", "SS", kFaster100, {}},
    {"svt_3_at_100", "SSS", kFaster100, {{ORhythmKind::SVT, 1}}},
    {"svt_3_below_100", "SSS", kSlower100, {}},
    {"bigeminy_2", "NVNV", 700, {}},
    {"bigeminy_3", "NVNVNV", 700, {{ORhythmKind::Bigeminy, 1}}},
    {"bigeminy_5", "NVNVNVNVNV", 700, {{ORhythmKind::Bigeminy, 1}}},
    {"trigeminy_2", "NNVNNV", 700, {}},
    {"trigeminy_3", "NNVNNVNNV", 700, {{ORhythmKind::Trigeminy, 1}}},
    {"bigeminy_broken_by_s", "NVNVSVNV", 700, {}},
    {"unclassified_counts_as_normal", std::string("\0V\0V\0V", 6), 700, {{ORhythmKind::Bigeminy, 1}}},
};

INSTANTIATE_TEST_SUITE_P(Runs, EctopicRunsTest, testing::ValuesIn(kRunCases),
                         [](const testing::TestParamInfo<ORunCase>& info) { return std::string(info.param.name); });

TEST(EctopicRuns, RunCarriesItsBeatsSpanAndOwnRate)
{
    BeatSeries s;
    s.Steady(75, 10).Samples(500, kBeatVentricular).Samples(400, kBeatVentricular).Samples(400, kBeatVentricular);
    s.Samples(400, kBeatVentricular).Steady(75, 10);
    const std::vector<ORhythmEvent> vt = OfKind(s.Events(), ORhythmKind::VT);
    ASSERT_EQ(vt.size(), 1u);
    int64_t firstV = -1;
    for (int64_t i = 0; i < s.Count(); ++i)
        if (s.Beats()[size_t(i)].Class == kBeatVentricular) {
            firstV = i;
            break;
        }
    // Pos is copied out: the packed record has no aligned int to bind to.
    EXPECT_EQ(vt[0].startSample, int64_t{s.Beats()[size_t(firstV)].Pos});
    EXPECT_EQ(vt[0].endSample, int64_t{s.Beats()[size_t(firstV + 3)].Pos});
    EXPECT_EQ(vt[0].beats, 4);
    // The coupling interval (500) belongs to the rhythm before: 3 intervals of 400.
    EXPECT_NEAR(vt[0].meanBpm, 60 * kSampleRate / 400, 1e-9);
}

// VT is sustained from 30 s, first V to last: 30 s of intervals at 150 bpm
// (400 ms, 75 of them) is, one interval fewer is not; a couplet never is.
TEST(EctopicRuns, VtSustainedFromThirtySeconds)
{
    struct {
        int intervals;
        bool sustained;
    } cases[] = {{74, false}, {75, true}};
    for (const auto& c : cases) {
        BeatSeries s;
        s.Steady(72, 10).Pattern(std::string(size_t(c.intervals) + 1, kBeatVentricular), 400).Steady(72, 10);
        const std::vector<ORhythmEvent> vt = OfKind(s.Events(), ORhythmKind::VT);
        ASSERT_EQ(vt.size(), 1u) << c.intervals;
        EXPECT_EQ(IsSustainedVt(vt[0]), c.sustained)
            << c.intervals << " intervals, " << (vt[0].endSample - vt[0].startSample) / kSampleRate << " s";
    }
    BeatSeries s;
    s.Steady(72, 10).Pattern("VV", 400).Steady(72, 10);
    for (const ORhythmEvent& e : s.Events().events)
        EXPECT_FALSE(IsSustainedVt(e));
}

TEST(EctopicRuns, UnclassifiedRecordingHasNoEctopicEvents)
{
    BeatSeries s;
    s.Steady(75, 10).Pattern(std::string(12, '\0'), 400).Steady(75, 10);
    for (const ORhythmEvent& e : s.Events().events)
        EXPECT_TRUE(e.kind == ORhythmKind::Pause || e.kind == ORhythmKind::Brady || e.kind == ORhythmKind::Tachy ||
                    e.kind == ORhythmKind::AF)
            << RhythmKindName(e.kind);
}

} // namespace
