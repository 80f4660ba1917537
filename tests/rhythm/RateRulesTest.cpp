// Pauses, brady- and tachycardia as events, at the boundaries of their
// rules (2 s; 50 and 100 bpm over 2 minutes), and the events' order.
#include "BeatSeries.h"
#include "RateRules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(RateRules, PauseBoundary)
{
    EXPECT_FALSE(IsPause(kPauseMs));
    EXPECT_TRUE(IsPause(kPauseMs + 0.01));
    // 2000 ms is 1953.125 samples: 1953 is just shorter, 1954 just longer.
    struct {
        int32_t samples;
        size_t pauses;
    } cases[] = {{1953, 0}, {1954, 1}, {3000, 1}};
    for (const auto& c : cases) {
        BeatSeries s;
        s.Steady(75, 10).Samples(c.samples).Steady(75, 10);
        const std::vector<ORhythmEvent> pauses = OfKind(s.Events(), ORhythmKind::Pause);
        ASSERT_EQ(pauses.size(), c.pauses) << c.samples;
        if (c.pauses) {
            EXPECT_EQ(pauses[0].endSample - pauses[0].startSample, c.samples);
            EXPECT_EQ(pauses[0].beats, 2);
            EXPECT_NEAR(pauses[0].meanBpm, 60 * kSampleRate / c.samples, 1e-9);
        }
    }
}

TEST(RateRules, FlaggedBeatsStillMakeAPause)
{
    BeatSeries s;
    s.Steady(75, 10).Samples(2500).Steady(75, 10);
    std::vector<OImpulse> beats = s.Beats();
    for (OImpulse& p : beats)
        p.Flags = kImpulseDoubtful;
    EXPECT_EQ(
        OfKind(FindRhythmEvents(beats.data(), int64_t(beats.size()), s.TotalSamples()), ORhythmKind::Pause).size(), 1u);
}

TEST(RateRules, EpisodesOfWholeMinutes)
{
    using M = std::optional<double>;
    struct {
        const char* name;
        std::vector<M> minutes;
        std::vector<ORateEpisode> expected;
    } cases[] = {
        {"one_slow_minute", {60, 45, 60}, {}},
        {"two_slow_minutes", {60, 45, 40, 60}, {{false, 1, 2, 40}}},
        {"fifty_is_not_slow", {50, 50, 50}, {}},
        {"hundred_is_not_fast", {100, 100, 100}, {}},
        {"two_fast_minutes", {101, 120, 60}, {{true, 0, 2, 120}}},
        {"gap_breaks_a_run", {45, M{}, 45, 60}, {}},
        {"both_in_order", {45, 45, 110, 110, 110}, {{false, 0, 2, 45}, {true, 2, 3, 110}}},
    };
    for (const auto& c : cases) {
        const std::vector<ORateEpisode> found = RateEpisodes(c.minutes);
        ASSERT_EQ(found.size(), c.expected.size()) << c.name;
        for (size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].tachycardia, c.expected[i].tachycardia) << c.name;
            EXPECT_EQ(found[i].firstMinute, c.expected[i].firstMinute) << c.name;
            EXPECT_EQ(found[i].minutes, c.expected[i].minutes) << c.name;
            EXPECT_EQ(found[i].extremeBpm, c.expected[i].extremeBpm) << c.name;
        }
    }
}

TEST(RateRules, BradyAndTachyEventsFromBeats)
{
    struct {
        const char* name;
        double bpm, minutes;
        ORhythmKind kind;
        size_t expected;
    } cases[] = {
        {"brady_3_min", 45, 3, ORhythmKind::Brady, 1},  {"brady_1_min", 45, 1, ORhythmKind::Brady, 0},
        {"tachy_3_min", 120, 3, ORhythmKind::Tachy, 1}, {"tachy_1_min", 120, 1, ORhythmKind::Tachy, 0},
        {"normal_51", 51, 3, ORhythmKind::Brady, 0},    {"normal_99", 99, 3, ORhythmKind::Tachy, 0},
    };
    for (const auto& c : cases) {
        BeatSeries s;
        s.Steady(75, 120).Steady(c.bpm, c.minutes * 60).Steady(75, 120);
        const std::vector<ORhythmEvent> found = OfKind(s.Events(), c.kind);
        ASSERT_EQ(found.size(), c.expected) << c.name;
        if (c.expected) {
            EXPECT_NEAR(found[0].meanBpm, c.bpm, 3) << c.name;
            EXPECT_GT(found[0].beats, c.bpm) << c.name;
            EXPECT_LT(std::fmod(found[0].startSample / kSampleRate, 60), 1 / kSampleRate) << c.name; // on a minute
        }
    }
}

TEST(RateRules, UnclassifiedAndNormalBeatsGiveTheMinuteRate)
{
    // Ventricular beats do not make a minute's rate: a slow minute of V beats
    // is no bradycardia of the sinus rhythm.
    BeatSeries s;
    s.Steady(75, 120).Steady(45, 180, kBeatVentricular).Steady(75, 120);
    EXPECT_TRUE(OfKind(s.Events(), ORhythmKind::Brady).empty());
}

TEST(RhythmEvents, ListSortedByStart)
{
    BeatSeries s;
    s.Steady(75, 30).Samples(2500).Pattern("NVNVNV", 700).Steady(75, 5).Pattern("NVVN", 500).Steady(45, 200);
    const ORhythmSummary r = s.Events();
    ASSERT_GE(r.events.size(), 4u);
    for (size_t i = 1; i < r.events.size(); ++i)
        EXPECT_LE(r.events[i - 1].startSample, r.events[i].startSample);
    EXPECT_STREQ(RhythmKindName(ORhythmKind::Bigeminy), "BIGEMINY");
}

} // namespace
