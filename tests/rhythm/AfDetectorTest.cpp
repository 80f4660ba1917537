// Atrial fibrillation found from the RR intervals alone: on and off within
// 30 s of the truth, 30 s episodes, and the regular irregularities that are
// not AF (bigeminy, trigeminy, isolated premature beats, sinus arrhythmia),
// with and without beat classes.
#include "BeatSeries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>

namespace {

constexpr double kSlackS = 30; // onset and offset found within this of the truth

// Sinus rhythm with PVCs: every `every`-th beat premature (60 %) with a full
// compensatory pause, of class cls.
void SinusWithPremature(BeatSeries& s, double seconds, int every, char cls)
{
    const double rr = 800;
    int n = 0;
    for (double t = 0; t < seconds; t += rr / 1000) {
        if (++n % every == 0) {
            s.Ms(0.6 * rr, cls).Ms(1.4 * rr);
            t += rr / 1000;
        } else {
            s.Ms(rr);
        }
    }
}

TEST(AfDetector, EpisodeFoundWithinHalfAMinuteOfOnsetAndOffset)
{
    for (const char cls : {char(kBeatUnclassified), char(kBeatNormal)}) {
        BeatSeries s;
        s.Steady(72, 120, cls);
        const double onset = s.Seconds();
        s.Fibrillation(180, cls);
        const double offset = s.Seconds();
        s.Steady(72, 120, cls);
        const ORhythmSummary r = s.Events();
        const std::vector<ORhythmEvent> af = OfKind(r, ORhythmKind::AF);
        ASSERT_EQ(af.size(), 1u) << "class " << int(cls);
        EXPECT_NEAR(af[0].startSample / kSampleRate, onset, kSlackS);
        EXPECT_NEAR(af[0].endSample / kSampleRate, offset, kSlackS);
        EXPECT_GT(af[0].beats, 150);
        EXPECT_NEAR(af[0].meanBpm, 80, 8); // mean RR 750 ms
        EXPECT_NEAR(r.afSeconds, (af[0].endSample - af[0].startSample) / kSampleRate, 1e-9);
        EXPECT_NEAR(r.AfBurdenPct(), 100 * 180 / r.analysedSeconds, 100 * kSlackS / r.analysedSeconds);
    }
}

TEST(AfDetector, EpisodeShorterThanHalfAMinuteDropped)
{
    struct {
        double seconds;
        size_t episodes;
    } cases[] = {{20, 0}, {60, 1}};
    for (const auto& c : cases) {
        BeatSeries s;
        s.Steady(72, 120).Fibrillation(c.seconds).Steady(72, 120);
        EXPECT_EQ(OfKind(s.Events(), ORhythmKind::AF).size(), c.episodes) << c.seconds << " s";
    }
}

TEST(AfDetector, FibrillationWithSupraventricularCallsStaysAf)
{
    // A classifier may call the early beats of AF supraventricular; they are
    // still conducted from the atria, so they count.
    BeatSeries s;
    s.Steady(72, 60);
    for (int i = 0; i < 30; ++i)
        s.Fibrillation(3, kBeatNormal).Fibrillation(1, kBeatSupra);
    s.Steady(72, 60);
    const ORhythmSummary r = s.Events();
    EXPECT_EQ(OfKind(r, ORhythmKind::AF).size(), 1u);
    EXPECT_TRUE(OfKind(r, ORhythmKind::SVT).empty()); // inside AF, the fast S beats are the AF
}

// An SVT run just after AF is the fibrillation's edge (the episode's offset
// is known only to half a window): dropped within 10 s of the episode, kept
// beyond. The gaps are measured from the episode as found.
TEST(AfDetector, SupraventricularRunNearAfDroppedWithinTenSeconds)
{
    bool near = false, far = false;
    for (const double sinusS : {1.0, 4.0, 8.0, 12.0, 16.0, 20.0, 30.0}) {
        BeatSeries s;
        s.Steady(72, 60).Fibrillation(120).Steady(72, sinusS);
        const double runAt = s.Seconds() + 0.4;
        s.Pattern("SSSSS", 400).Steady(72, 60);
        const ORhythmSummary r = s.Events();
        const std::vector<ORhythmEvent> af = OfKind(r, ORhythmKind::AF);
        ASSERT_EQ(af.size(), 1u) << sinusS;
        const double gap = runAt - af[0].endSample / kSampleRate;
        if (std::abs(gap - 10) < 0.5)
            continue; // too close to the boundary to say which side the run's first beat is on
        const bool kept = OfKind(r, ORhythmKind::SVT).size() == 1;
        EXPECT_EQ(kept, gap > 10) << "gap " << gap << " s";
        (gap > 10 ? far : near) = true;
    }
    EXPECT_TRUE(near);
    EXPECT_TRUE(far);
}

// A stretch of AF whose beats the classifier could not call (aberrant beats
// called Q) cannot be judged; it is no evidence of sinus rhythm, so a short
// regular stretch beside it (4 s, judged regular for under the 10 s bridge
// with the window's reach) does not split the episode; a long one does.
TEST(AfDetector, UnjudgedStretchDoesNotSplitAnEpisode)
{
    struct {
        double regularS;
        size_t episodes;
    } cases[] = {{4, 1}, {40, 2}};
    for (const auto& c : cases) {
        BeatSeries s;
        s.Steady(72, 60).Fibrillation(120).Steady(72, c.regularS).Fibrillation(25, kBeatUnknown);
        s.Fibrillation(120).Steady(72, 60);
        EXPECT_EQ(OfKind(s.Events(), ORhythmKind::AF).size(), c.episodes) << c.regularS << " s regular";
    }
}

struct ORegularCase {
    const char* name;
    std::string pattern; // repeated; N or 0 at 800 ms after the last, V premature
    bool classes;
};

void PrintTo(const ORegularCase& c, std::ostream* os)
{
    *os << c.name;
}

class NotAfTest : public testing::TestWithParam<ORegularCase> {};

// Bigeminy and trigeminy are regular in their irregularity: lag-2 and lag-3
// differences stay small, whether or not the PVCs carry their class.
TEST_P(NotAfTest, RepeatedPatternIsNotAf)
{
    const ORegularCase& c = GetParam();
    BeatSeries s;
    s.Steady(75, 60);
    for (int rep = 0; s.Seconds() < 360; ++rep)
        for (const char cls : c.pattern) {
            const bool premature = cls == kBeatVentricular;
            s.Ms(premature ? 480 : (s.Beats().back().Class == kBeatVentricular ? 1120 : 800),
                 c.classes ? cls : char(kBeatUnclassified));
        }
    s.Steady(75, 60);
    const ORhythmSummary r = s.Events();
    EXPECT_TRUE(OfKind(r, ORhythmKind::AF).empty());
    EXPECT_EQ(r.afSeconds, 0);
}

const ORegularCase kRegularCases[] = {
    {"bigeminy_classified", "NV", true},          {"bigeminy_unclassified", "NV", false},
    {"trigeminy_classified", "NNV", true},        {"trigeminy_unclassified", "NNV", false},
    {"quadrigeminy_unclassified", "NNNV", false},
};

INSTANTIATE_TEST_SUITE_P(Patterns, NotAfTest, testing::ValuesIn(kRegularCases),
                         [](const testing::TestParamInfo<ORegularCase>& info) { return std::string(info.param.name); });

TEST(AfDetector, IsolatedPrematureBeatsInSinusRhythmAreNotAf)
{
    struct {
        int every;
        char cls;
    } cases[] = {{10, kBeatVentricular},
                 {10, kBeatUnclassified},
                 {5, kBeatVentricular},
                 {5, kBeatUnclassified},
                 {7, kBeatSupra}};
    for (const auto& c : cases) {
        BeatSeries s;
        SinusWithPremature(s, 600, c.every, c.cls);
        EXPECT_TRUE(OfKind(s.Events(), ORhythmKind::AF).empty()) << "every " << c.every << ", class " << int(c.cls);
    }
}

TEST(AfDetector, SinusArrhythmiaIsNotAf)
{
    // Breathing every 4 s swings the RR by ±10 %: smooth, not irregular.
    BeatSeries s;
    for (double t = 0; t < 600;) {
        const double rr = 900 * (1 + 0.10 * std::sin(2 * M_PI * t / 4));
        s.Ms(rr);
        t += rr / 1000;
    }
    EXPECT_TRUE(OfKind(s.Events(), ORhythmKind::AF).empty());
}

TEST(AfDetector, FlaggedBeatsInNoiseDoNotMakeAf)
{
    // Noise: every other beat doubtful at a random place; the doubtful beats'
    // intervals are left out, the rest is regular.
    BeatSeries s;
    s.Steady(75, 60);
    for (int i = 0; i < 150; ++i)
        s.Ms(300 + (i * 137) % 400).Ms(1100 - (i * 137) % 400);
    s.Steady(75, 60);
    std::vector<OImpulse> beats = s.Beats();
    const size_t firstNoisy = static_cast<size_t>(75);
    for (size_t i = firstNoisy; i < firstNoisy + 300; i += 2)
        beats[i].Flags = kImpulseDoubtful;
    const ORhythmSummary r = FindRhythmEvents(beats.data(), int64_t(beats.size()), s.TotalSamples());
    EXPECT_TRUE(OfKind(r, ORhythmKind::AF).empty());
}

// Each guard alone keeps its kind of regular irregularity out of AF, and
// without it the same beats would pass for AF: the guards are not redundant
// by accident of the test data.
TEST(AfDetector, EachGuardAloneDoesItsJob)
{
    OAfOptions none;
    none.maxLag = 1;
    none.maxClustered = 2;
    none.maxMatched = 2;
    none.prematureFilter = false;
    const auto withLags = [&] {
        OAfOptions o = none;
        o.maxLag = 3;
        return o;
    };
    const auto withMatched = [&] {
        OAfOptions o = none;
        o.maxMatched = OAfOptions{}.maxMatched;
        return o;
    };
    const auto withPremature = [&] {
        OAfOptions o = none;
        o.prematureFilter = true;
        return o;
    };
    const auto withClustered = [&] {
        OAfOptions o = none;
        o.maxClustered = OAfOptions{}.maxClustered;
        return o;
    };
    // Bigeminy, unclassified: premature 480 ms, compensatory 1120 ms.
    BeatSeries bigeminy;
    for (int i = 0; i < 200; ++i)
        bigeminy.Ms(480, kBeatUnclassified).Ms(1120, kBeatUnclassified);
    // Isolated PVCs every fourth beat of sinus rhythm, with jitter in the
    // coupling so that the points do not repeat exactly.
    BeatSeries isolated;
    for (int i = 0; i < 150; ++i)
        isolated.Ms(800).Ms(800).Ms(440 + 40 * (i % 5)).Ms(1160 - 40 * (i % 5));
    // Two lengths alternating at random, 2:1 and 3:2 conduction: not AF.
    BeatSeries twoLengths;
    for (int i = 0; i < 300; ++i)
        twoLengths.Ms((i * 7919) % 3 == 0 ? 1500 : 1000);
    struct {
        const char* name;
        const BeatSeries& beats;
        OAfOptions options;
        bool af;
    } cases[] = {
        {"bigeminy_no_guard", bigeminy, none, true},
        {"bigeminy_lags", bigeminy, withLags(), false},
        {"bigeminy_matched", bigeminy, withMatched(), false},
        {"isolated_no_guard", isolated, none, true},
        {"isolated_premature_filter", isolated, withPremature(), false},
        {"two_lengths_no_guard", twoLengths, none, true},
        {"two_lengths_clustered", twoLengths, withClustered(), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!FindAfEpisodes(c.beats.Beats().data(), c.beats.Count(), c.options).empty(), c.af) << c.name;
}

TEST(AfDetector, VentricularBeatsLeftOut)
{
    // Sinus rhythm with PVCs at random places and random coupling: without
    // their class they look like AF to the irregularity alone; called V,
    // their intervals are left out.
    OAfOptions irregularityOnly;
    irregularityOnly.maxClustered = 2;
    irregularityOnly.maxMatched = 2;
    irregularityOnly.prematureFilter = false;
    for (const char cls : {char(kBeatUnclassified), char(kBeatVentricular)}) {
        BeatSeries s;
        uint32_t random = 7;
        for (int i = 0; i < 600; ++i) {
            random = random * 1103515245u + 12345u;
            if ((random >> 16) % 3 == 0) {
                const double coupling = 350 + (random >> 8) % 300;
                s.Ms(coupling, cls).Ms(1600 - coupling);
            } else {
                s.Ms(800);
            }
        }
        EXPECT_EQ(FindAfEpisodes(s.Beats().data(), s.Count(), irregularityOnly).empty(), cls == kBeatVentricular)
            << "class " << int(cls);
    }
}

TEST(AfDetector, NoBeatsNoEvents)
{
    const ORhythmSummary r = FindRhythmEvents(nullptr, 0, 0);
    EXPECT_TRUE(r.events.empty());
    EXPECT_EQ(r.AfBurdenPct(), 0);
}

} // namespace
