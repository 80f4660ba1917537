// Atrial fibrillation found from the RR intervals alone: on and off within
// 30 s of the truth, 30 s episodes, and the regular irregularities that are
// not AF (bigeminy, trigeminy, isolated premature beats, sinus arrhythmia),
// with and without beat classes.
#include "BeatSeries.h"

#include <gtest/gtest.h>

#include <cmath>

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

struct ORegularCase {
    const char* name;
    std::string pattern; // repeated; N or 0 at 800 ms after the last, V premature
    bool classes;
};

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

TEST(AfDetector, NoBeatsNoEvents)
{
    const ORhythmSummary r = FindRhythmEvents(nullptr, 0, 0);
    EXPECT_TRUE(r.events.empty());
    EXPECT_EQ(r.AfBurdenPct(), 0);
}

} // namespace
