// The beat classifier on hand-made series: which class each beat gets, and
// what the classes change downstream (the pulse rate after the precise
// detector only; nothing after the standard one).
#include "AnalysisFixtures.h"
#include "BeatClassifier.h"
#include "BeatSamples.h"
#include "DetectorKind.h"
#include "OEKGFilter.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "SyntheticBeats.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>

namespace {

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

struct OClassCase {
    const char* name;
    std::string pattern; // N, A, V; n a noisy normal beat
    double rrMs;
    double coupling;
    std::string expected; // the same length; '.' for N
};

std::string Expect(const std::string& pattern)
{
    std::string s;
    for (const char c : pattern)
        s += c == 'A' ? 'S' : c == 'V' ? 'V' : c == 'n' ? 'Q' : 'N';
    return s;
}

OClassCase Case(const char* name, const std::string& pattern, double rrMs, double coupling = 0.65)
{
    return {name, pattern, rrMs, coupling, Expect(pattern)};
}

class BeatClasses : public testing::TestWithParam<OClassCase> {};

TEST_P(BeatClasses, EachBeatGetsItsClass)
{
    const OClassCase& c = GetParam();
    OSyntheticEcg ecg = MakeSyntheticEcg(BeatPattern(c.pattern, c.rrMs, c.coupling));
    const OBeatClassification result =
        ClassifyBeats(ecg.impulses.data(), int64_t(ecg.impulses.size()),
                      ArraySampleSource(ecg.samples.data(), int64_t(ecg.samples.size())));
    EXPECT_EQ(ClassString(ecg.impulses), c.expected);
    EXPECT_FALSE(result.ventricularRhythm);
}

const std::string kLead = Repeat("N", 30);

INSTANTIATE_TEST_SUITE_P(
    Series, BeatClasses,
    testing::Values(Case("SinglePvc", kLead + "V" + Repeat("N", 20), 800),
                    Case("Couplet", kLead + "VV" + Repeat("N", 20), 800),
                    Case("Bigeminy", kLead + Repeat("NV", 20) + Repeat("N", 10), 800),
                    Case("Trigeminy", kLead + Repeat("NNV", 15) + Repeat("N", 10), 700),
                    Case("Apc", kLead + "A" + Repeat("N", 20), 800, 0.7),
                    Case("ApcAtFastRate", kLead + "A" + Repeat("N", 20), 450, 0.75),
                    Case("PvcOnTheTWave", kLead + "V" + Repeat("N", 20), 900, 0.36),
                    // 232 ms apart: five brief intervals are a salvo, six the waves of flutter
                    Case("FastCoupletAtFastRate", kLead + "VV" + Repeat("N", 20), 400, 0.58),
                    Case("FastSalvoOfFiveIntervals", kLead + "VVVVV" + Repeat("N", 20), 400, 0.58),
                    OClassCase{"FlutterOfSixIntervals", kLead + "VVVVVV" + Repeat("N", 20), 400, 0.58,
                     Repeat("N", 30) + "QQQQQV" + Repeat("N", 20)},
                    Case("PvcsAtSlowRate", kLead + "V" + Repeat("N", 15) + "V" + Repeat("N", 15), 1200),
                    Case("NoisyBeatsAreUnclassifiable", kLead + "n" + Repeat("N", 10) + "nn" + Repeat("N", 10), 800)),
    [](const testing::TestParamInfo<OClassCase>& info) { return std::string(info.param.name); });

// Timing of a beat of normal shape: supraventricular when it comes sooner
// than 90 % of the local rhythm and the interval after it is at least 15 %
// of the rhythm longer than its own (the sinus node reset); just outside
// either bound it stays normal.
struct OPrematureCase {
    double coupling; // its interval, of the rhythm
    double after;    // the next interval, of the rhythm
    char expected;
};
class Prematurity : public testing::TestWithParam<OPrematureCase> {};

TEST_P(Prematurity, EarlyNormalShapedBeatIsSupraventricularOnlyInsideTheBounds)
{
    std::vector<OSyntheticBeat> beats = BeatPattern(kLead + "N" + Repeat("N", 10), 800);
    beats[30].rrMs = 800 * GetParam().coupling;
    beats[31].rrMs = 800 * GetParam().after;
    OSyntheticEcg ecg = MakeSyntheticEcg(beats);
    ClassifyBeats(ecg.impulses.data(), int64_t(ecg.impulses.size()),
                  ArraySampleSource(ecg.samples.data(), int64_t(ecg.samples.size())));
    EXPECT_EQ(ecg.impulses[30].Class, GetParam().expected);
    EXPECT_EQ(ecg.impulses[29].Class, kBeatNormal);
    EXPECT_EQ(ecg.impulses[31].Class, kBeatNormal);
}

INSTANTIATE_TEST_SUITE_P(Bounds, Prematurity,
                         testing::Values(OPrematureCase{0.87, 1.05, kBeatSupra}, OPrematureCase{0.93, 1.1, kBeatNormal},
                                         OPrematureCase{0.76, 0.93, kBeatSupra}, OPrematureCase{0.80, 0.92, kBeatNormal}));

// A beat whose shape is shared by at most two others is Q at half the noise
// that makes a beat of a common shape Q: alone, a noisy odd shape is more
// likely noise than a PVC. The clean recording's bar is 0.004 of the QRS
// height (BeatNoise); on the PVC a noise of 1.5 units reads about a third
// of it, 3.5 units three quarters, and 2.5 units on a normal beat (a lower
// QRS) more than four fifths.
struct ORareNoiseCase {
    char kind;
    double noiseSd;
    char expected;
};
class RareShapeNoise : public testing::TestWithParam<ORareNoiseCase> {};

TEST_P(RareShapeNoise, NoisyRareShapeIsUnclassifiable)
{
    std::vector<OSyntheticBeat> beats = BeatPattern(kLead + GetParam().kind + Repeat("N", 20), 800);
    beats[30].noisy = true;
    beats[30].noiseSd = GetParam().noiseSd;
    OSyntheticEcg ecg = MakeSyntheticEcg(beats);
    ClassifyBeats(ecg.impulses.data(), int64_t(ecg.impulses.size()),
                  ArraySampleSource(ecg.samples.data(), int64_t(ecg.samples.size())));
    EXPECT_EQ(ecg.impulses[30].Class, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Bounds, RareShapeNoise,
                         testing::Values(ORareNoiseCase{'V', 1.5, kBeatVentricular}, ORareNoiseCase{'V', 3.5, kBeatUnknown},
                                         ORareNoiseCase{'N', 2.5, kBeatNormal}));

// Through the classifier: a noisy PVC that is Q when alone (RareShapeNoise)
// is V in the middle of three PVCs of one focus at run pace
// (BeatRunContextTest has the rule's bounds); beside a single PVC, or among
// PVCs of another focus (their QRS upside down), it stays Q.
struct ONoisyRunCase {
    const char* name;
    std::string run; // after the lead: 'V' or 'W', the middle one noisy
    char expected;   // the noisy beat's class
};
void PrintTo(const ONoisyRunCase& c, std::ostream* os)
{
    *os << c.name;
}
class NoisyBeatInRun : public testing::TestWithParam<ONoisyRunCase> {};

TEST_P(NoisyBeatInRun, KeepsTheRunsClassOnlyInsideARunOfItsShape)
{
    const ONoisyRunCase& c = GetParam();
    std::vector<OSyntheticBeat> beats = BeatPattern(kLead + c.run + Repeat("N", 20), 1000, 0.58);
    beats[31].noisy = true;
    beats[31].noiseSd = 3.5;
    OSyntheticEcg ecg = MakeSyntheticEcg(beats);
    ClassifyBeats(ecg.impulses.data(), int64_t(ecg.impulses.size()),
                  ArraySampleSource(ecg.samples.data(), int64_t(ecg.samples.size())));
    EXPECT_EQ(ecg.impulses[31].Class, c.expected);
    EXPECT_EQ(ecg.impulses[30].Class, kBeatVentricular);
    EXPECT_EQ(ClassString(ecg.impulses).substr(0, 30), kLead);
}

INSTANTIATE_TEST_SUITE_P(Runs, NoisyBeatInRun,
                         testing::Values(ONoisyRunCase{"InARunOfThree", "VVV", kBeatVentricular},
                                         ONoisyRunCase{"SecondOfACouplet", "VV", kBeatUnknown},
                                         ONoisyRunCase{"OtherFocusInARun", "VWV", kBeatUnknown}),
                         [](const testing::TestParamInfo<ONoisyRunCase>& info) { return std::string(info.param.name); });

// A recording of wide beats without P waves is an idioventricular rhythm: the
// largest cluster must not become the normal beat only by being the largest.
TEST(BeatClassesAllVentricular, IdioventricularRhythmStaysVentricular)
{
    OSyntheticEcg ecg = MakeSyntheticEcg(BeatPattern(Repeat("V", 60), 1700, 1.0));
    const OBeatClassification result =
        ClassifyBeats(ecg.impulses.data(), int64_t(ecg.impulses.size()),
                      ArraySampleSource(ecg.samples.data(), int64_t(ecg.samples.size())));
    EXPECT_TRUE(result.ventricularRhythm);
    EXPECT_EQ(ClassString(ecg.impulses), Repeat("V", 60));
}

TEST(BeatClassesAllVentricular, NormalBeatsAmongVentricularOnesStayNormal)
{
    OSyntheticEcg ecg = MakeSyntheticEcg(BeatPattern(Repeat("V", 40) + Repeat("N", 10), 1500, 1.0));
    const OBeatClassification result =
        ClassifyBeats(ecg.impulses.data(), int64_t(ecg.impulses.size()),
                      ArraySampleSource(ecg.samples.data(), int64_t(ecg.samples.size())));
    EXPECT_FALSE(result.ventricularRhythm); // the narrow cluster with its P wave is the reference
    EXPECT_EQ(ClassString(ecg.impulses), Repeat("V", 40) + Repeat("N", 10));
}

TEST(BeatClassesEdges, NoBeatsAndBeatsAtTheRecordingsEdges)
{
    EXPECT_EQ(ClassifyBeats(nullptr, 0, ArraySampleSource(nullptr, 0)).reference, -1);
    OSyntheticEcg ecg = MakeSyntheticEcg(BeatPattern(Repeat("N", 20), 800));
    ecg.impulses.front().Pos = 3; // its window reaches before the first sample
    ecg.impulses.back().Pos = int32_t(ecg.samples.size()) - 2;
    ClassifyBeats(ecg.impulses.data(), int64_t(ecg.impulses.size()),
                  ArraySampleSource(ecg.samples.data(), int64_t(ecg.samples.size())));
    for (const OImpulse& i : ecg.impulses)
        EXPECT_NE(i.Class, kBeatUnclassified);

    // Impulses piled on one sample (no intervals) still get classes.
    std::vector<OImpulse> piled(12, ecg.impulses[5]);
    ClassifyBeats(piled.data(), int64_t(piled.size()),
                  ArraySampleSource(ecg.samples.data(), int64_t(ecg.samples.size())));
    for (const OImpulse& i : piled)
        EXPECT_NE(i.Class, kBeatUnclassified);
}

// The pulse rate: after the precise detector a beat not called N leaves its
// intervals out as a flagged one does; after the standard detector classes
// change nothing.
class PulseRateClasses : public testing::Test {
protected:
    void SetUp() override { UseFreshSettings(); }
    std::vector<OPoint> Curve(int32_t detector, const std::vector<OImpulse>& beats)
    {
        StoreParam("m_PulseUsred", 1);
        auto filter = std::make_unique<OEKGFilter>();
        filter->OverrideDetector(detector);
        filter->Prepare();
        std::vector<OPoint> out(1000);
        out.resize(size_t(filter->PulseRate(out.data(), 1000, beats.data(), int64_t(beats.size()))));
        return out;
    }
    static std::vector<OImpulse> Beats(char cls, char middle, uint8_t middleFlags = 0)
    {
        std::vector<OImpulse> beats;
        for (int i = 0; i < 40; ++i)
            beats.push_back({i * 500, 0, 500.0, 1.0, cls});
        beats.front().Flags = beats.back().Flags = kImpulseEdge;
        beats[20].Class = middle;
        beats[20].Flags = middleFlags;
        return beats;
    }
    static bool Same(const std::vector<OPoint>& a, const std::vector<OPoint>& b)
    {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](const OPoint& p, const OPoint& q) { return p.x == q.x && p.y == q.y; });
    }
    TestDialogs dialogs;
};

TEST_F(PulseRateClasses, PreciseDetectorSkipsIntervalsTouchingANonNormalBeat)
{
    const auto flagged = Curve(kDetectorPrecise, Beats('N', 'N', kImpulseDoubtful));
    const auto clean = Curve(kDetectorPrecise, Beats('N', 'N'));
    ASSERT_FALSE(Same(flagged, clean));
    for (const char c : {'S', 'V', 'F', 'Q'})
        EXPECT_TRUE(Same(Curve(kDetectorPrecise, Beats('N', c)), flagged)) << c;
    // Unclassified beats (no classifier ran) count as before.
    EXPECT_TRUE(Same(Curve(kDetectorPrecise, Beats(kBeatUnclassified, kBeatUnclassified)), clean));
}

TEST_F(PulseRateClasses, StandardDetectorIgnoresClasses)
{
    const auto clean = Curve(kDetectorStandard, Beats(kBeatUnclassified, kBeatUnclassified));
    for (const char c : {'N', 'S', 'V', 'Q'})
        EXPECT_TRUE(Same(Curve(kDetectorStandard, Beats('N', c)), clean)) << c;
}

// Through the whole pass: with the standard detector the classes are only
// added (the pulse rate is what the unclassified impulses give); with the
// precise one every impulse has a class.
struct OPassCase {
    int32_t detector;
    double bpm;
};
class PassClasses : public testing::TestWithParam<OPassCase> {};

TEST_P(PassClasses, EveryImpulseGetsAClassAndTheStandardOutputsStay)
{
    UseFreshSettings();
    TempDir dir;
    TestDialogs dialogs;
    ORecordingOptions options;
    options.ecg.bpm = GetParam().bpm;
    const std::string path = dir.File("rec.экг");
    WriteFileBytes(path, MakeRecording(options, 500));
    OEcgFile file;
    ASSERT_TRUE(file.OpenEcgFile(path, true));
    auto filter = std::make_unique<OEKGFilter>();
    filter->OverrideDetector(GetParam().detector);
    OProcessControl control;
    ProcessFile(file, *filter, control);
    const auto& impulses = file.ImpulseInfo();
    ASSERT_GT(impulses.Count(), 80);
    int64_t normal = 0;
    for (int64_t i = 0; i < impulses.Count(); ++i) {
        EXPECT_NE(impulses[i].Class, kBeatUnclassified);
        normal += impulses[i].Class == kBeatNormal;
    }
    EXPECT_GE(normal, impulses.Count() - 2) << GetParam().bpm << " bpm"; // the model's sinus rhythm
    if (GetParam().detector == kDetectorStandard) {
        std::vector<OImpulse> bare(impulses.Data(), impulses.Data() + impulses.Count());
        for (OImpulse& i : bare)
            i.Class = kBeatUnclassified;
        std::vector<OPoint> rate(size_t(file.Puls().Capacity()));
        rate.resize(size_t(filter->PulseRate(rate.data(), int64_t(rate.size()), bare.data(), int64_t(bare.size()))));
        ASSERT_EQ(int64_t(rate.size()), file.Puls().Count());
        for (size_t k = 0; k < rate.size(); ++k) {
            EXPECT_EQ(rate[k].x, file.Puls()[int64_t(k)].x);
            EXPECT_EQ(rate[k].y, file.Puls()[int64_t(k)].y);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Detectors, PassClasses,
                         testing::Values(OPassCase{kDetectorStandard, 75}, OPassCase{kDetectorPrecise, 75},
                                         OPassCase{kDetectorPrecise, 45}, OPassCase{kDetectorPrecise, 150}));

} // namespace
