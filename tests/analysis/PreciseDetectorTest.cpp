// The precise detector, chosen through the stored "Detector" parameter,
// scored against known beats: the simulator's model from 40 to 220 bpm,
// upside down, small, wandering, in white noise and in electrode noise, with
// clipped R-waves, twelve seconds of a real heart in ventricular bigeminy
// and fifteen of one in atrial fibrillation with a salvo of PVCs, with their
// reference beats.
#include "AnalysisFixtures.h"
#include "DetectorKind.h"
#include "EcgTime.h"
#include "OEcgFile.h"
#include "OPreciseDetector.h"
#include "ProcessFile.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

namespace {

constexpr int64_t kTolerance = 146; // 150 ms

struct OPass {
    OEcgFile file;
    std::unique_ptr<OEKGFilter> filter = std::make_unique<OEKGFilter>();
};

void RunPrecise(OPass& pass, const std::string& path)
{
    StoreParam(OEKGFilterParams::kDetectorKey, kDetectorPrecise);
    ASSERT_TRUE(pass.file.OpenEcgFile(path, true));
    OProcessControl control;
    ProcessFile(pass.file, *pass.filter, control);
    ASSERT_EQ(pass.filter->m_Detector, kDetectorPrecise);
}

struct OModelCase {
    const char* name;
    double bpm;
    double rAmplitude;
    double noise;
    std::vector<OEcgNoiseStretch> electrodeNoise;
    double wander = 150;
};

void PrintTo(const OModelCase& c, std::ostream* out)
{
    *out << c.name;
}

class PreciseDetectorModel : public testing::TestWithParam<OModelCase> {};

TEST_P(PreciseDetectorModel, FindsEveryBeatAndFlagsOnlyNoise)
{
    UseFreshSettings();
    TestDialogs dialogs;
    const OModelCase& c = GetParam();
    ORecordingOptions options;
    options.ecg.bpm = c.bpm;
    options.ecg.seed = static_cast<uint32_t>(c.bpm * 7);
    options.ecg.rAmplitude = c.rAmplitude;
    options.ecg.noise = c.noise;
    options.ecg.electrodeNoise = c.electrodeNoise;
    options.ecg.wander = c.wander;
    TempDir dir;
    const std::string path = dir.File("запись.экг");
    std::vector<int64_t> truth;
    WriteFileBytes(path, MakeRecording(options, 501, &truth)); // two minutes
    OPass pass;
    RunPrecise(pass, path);
    const auto& impulses = pass.file.ImpulseInfo();

    // Beats inside the electrode noise (and 2 s around it) may be lost or
    // doubled, but what is found there must not reach the pulse rate
    // unflagged unless it is a true beat.
    auto inNoise = [&](int64_t p) {
        for (const OEcgNoiseStretch& s : c.electrodeNoise)
            if (p >= (s.startSeconds - 2) * kSampleRate && p < (s.startSeconds + s.seconds + 2) * kSampleRate)
                return true;
        return false;
    };
    std::vector<int64_t> cleanTruth, clean, noisyUnflagged;
    for (int64_t p : truth)
        if (!inNoise(p))
            cleanTruth.push_back(p);
    int64_t flaggedInClean = 0;
    for (int64_t i = 0; i < impulses.Count(); ++i) {
        const OImpulse& p = impulses[i];
        if (!inNoise(p.Pos)) {
            clean.push_back(p.Pos);
            flaggedInClean += p.Flags != 0 && i > 0 && i + 1 < impulses.Count();
        } else if (p.Flags == 0) {
            noisyUnflagged.push_back(p.Pos);
        }
    }
    const OScore score = ScorePeaks(cleanTruth, clean, kTolerance);
    EXPECT_EQ(score.falseNegatives, 0) << c.name;
    EXPECT_EQ(score.falsePositives, 0) << c.name;
    EXPECT_EQ(flaggedInClean, 0) << c.name;
    EXPECT_EQ(impulses[0].Flags & kImpulseEdge, kImpulseEdge);
    EXPECT_EQ(impulses[impulses.Count() - 1].Flags & kImpulseEdge, kImpulseEdge);
    EXPECT_EQ(ScorePeaks(truth, noisyUnflagged, kTolerance).falsePositives, 0) << c.name;
    // Positions are near the true R-peak, not merely within the window.
    int64_t far = 0;
    for (int64_t p : clean) {
        auto it = std::lower_bound(cleanTruth.begin(), cleanTruth.end(), p - 20);
        far += it == cleanTruth.end() || *it > p + 20;
    }
    EXPECT_EQ(far, 0) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, PreciseDetectorModel,
                         testing::Values(OModelCase{"40 bpm", 40, 1200, 6, {}}, OModelCase{"70 bpm", 70, 1200, 6, {}},
                                         OModelCase{"180 bpm", 180, 1200, 6, {}},
                                         OModelCase{"90 bpm upside down", 90, -1200, 6, {}},
                                         OModelCase{"100 bpm, low and noisy", 100, 400, 40, {}},
                                         OModelCase{"120 bpm, electrode noise", 120, 1200, 6, {{50, 12}}},
                                         OModelCase{"60 bpm, strong baseline wander", 60, 1200, 6, {}, 2000},
                                         OModelCase{"75 bpm, 0.25 mV", 75, 250, 6, {}},
                                         OModelCase{"220 bpm", 220, 1200, 6, {}}),
                         [](const auto& info) { return std::to_string(info.index); });

// R-waves that run into the recorder's top are found but doubted.
TEST(PreciseDetectorClipping, ClippedBeatsAreFoundAndFlagged)
{
    UseFreshSettings();
    TestDialogs dialogs;
    ORecordingOptions options;
    options.ecg.rAmplitude = 6000; // from 5000 up: beyond 10230
    std::vector<int64_t> truth;
    TempDir dir;
    WriteFileBytes(dir.File("r.экг"), MakeRecording(options, 126, &truth)); // 30 s
    OPass pass;
    RunPrecise(pass, dir.File("r.экг"));
    const auto& impulses = pass.file.ImpulseInfo();
    const OScore all = ScorePeaks(truth, ImpulsePositions(impulses.Data(), impulses.Count(), false), kTolerance);
    EXPECT_EQ(all.falseNegatives + all.falsePositives, 0);
    EXPECT_TRUE(ImpulsePositions(impulses.Data(), impulses.Count(), true).empty());
}

// The 200 ms refractory period lies between R-peaks. APCs at 150 bpm land
// on the T wave before them: at 280 ms and 230 ms (the integrated maximum of
// such a beat comes sooner after its R-peak than the sinus beat's did) every
// one is found; at 170 ms, inside the period, none is.
struct ORefractoryCase {
    double prematurity; // of the 400 ms interval
    bool found;
};
class PreciseDetectorRefractory : public testing::TestWithParam<ORefractoryCase> {};

TEST_P(PreciseDetectorRefractory, EarlyBeatsAreFoundOutsideThePeriodOnly)
{
    UseFreshSettings();
    TestDialogs dialogs;
    ORecordingOptions options;
    options.ecg.bpm = 150;
    options.ecg.seed = 11;
    options.ecg.rhythm.apcPerMinute = 12;
    options.ecg.rhythm.apcPrematurity = GetParam().prematurity;
    std::vector<int64_t> truth;
    TempDir dir;
    WriteFileBytes(dir.File("r.экг"), MakeRecording(options, 501, &truth)); // two minutes
    OPass pass;
    RunPrecise(pass, dir.File("r.экг"));
    const auto& impulses = pass.file.ImpulseInfo();
    const std::vector<int64_t> found = ImpulsePositions(impulses.Data(), impulses.Count(), false);
    int64_t early = 0, earlyFound = 0;
    for (size_t i = 1; i < truth.size(); ++i) {
        if (truth[i] - truth[i - 1] >= 0.3 * kSampleRate)
            continue;
        ++early;
        auto it = std::lower_bound(found.begin(), found.end(), truth[i] - 40);
        earlyFound += it != found.end() && *it <= truth[i] + 40;
    }
    ASSERT_GE(early, 10);
    EXPECT_EQ(earlyFound, GetParam().found ? early : 0);
    EXPECT_EQ(ScorePeaks(truth, found, kTolerance).falsePositives, 0);
}

INSTANTIATE_TEST_SUITE_P(Bounds, PreciseDetectorRefractory,
                         testing::Values(ORefractoryCase{0.3, true}, ORefractoryCase{0.425, true},
                                         ORefractoryCase{0.575, false}));

// Twelve seconds of MIT-BIH record 119 in ventricular bigeminy: tall, wide
// ectopic beats with tall T-waves between normal ones.
TEST(PreciseDetectorRecord, BigeminyExcerptMatchesTheReferenceBeats)
{
    UseFreshSettings();
    TestDialogs dialogs;
    const std::string data = BRENNA_TEST_DATA;
    std::vector<int64_t> reference;
    std::ifstream in(data + "/mitdb-119-excerpt.ref.txt");
    for (int64_t beat; in >> beat;)
        reference.push_back(beat);
    ASSERT_EQ(reference.size(), 13u);
    OPass pass;
    RunPrecise(pass, data + "/mitdb-119-excerpt.экг");
    const auto& impulses = pass.file.ImpulseInfo();
    const OScore all = ScorePeaks(reference, ImpulsePositions(impulses.Data(), impulses.Count(), false), kTolerance);
    EXPECT_EQ(all.truePositives, 13);
    EXPECT_EQ(all.falsePositives, 0);
    // Real ectopic beats are no noise: only the two edges carry flags.
    const OScore counted = ScorePeaks(reference, ImpulsePositions(impulses.Data(), impulses.Count(), true), kTolerance);
    EXPECT_EQ(counted.truePositives, 11);
}

// Fifteen seconds of MIT-BIH record 203: atrial fibrillation with a salvo of
// three wide PVCs at about 170 bpm (11.26, 11.61 and 11.96 s). Between them
// the integrated signal never falls to the floor, so the second PVC reads as
// noise, and the third, early and lower than the narrow beats, is kept only
// because it comes at the salvo's pace.
TEST(PreciseDetectorRecord, PvcSalvoInAtrialFibrillationKeepsEveryPvc)
{
    UseFreshSettings();
    TestDialogs dialogs;
    const std::string data = BRENNA_TEST_DATA;
    std::vector<int64_t> reference;
    std::ifstream in(data + "/mitdb-203-excerpt.ref.txt");
    for (int64_t beat; in >> beat;)
        reference.push_back(beat);
    ASSERT_EQ(reference.size(), 27u);
    OPass pass;
    RunPrecise(pass, data + "/mitdb-203-excerpt.экг");
    const auto& impulses = pass.file.ImpulseInfo();
    const std::vector<int64_t> found = ImpulsePositions(impulses.Data(), impulses.Count(), false);
    const OScore all = ScorePeaks(reference, found, kTolerance);
    EXPECT_GE(all.truePositives, 26); // one narrow beat at 9.62 s stays below the threshold
    EXPECT_EQ(all.falsePositives, 0);
    for (const int64_t pvc : {10994, 11342, 11683}) {
        auto it = std::lower_bound(found.begin(), found.end(), pvc - kTolerance);
        EXPECT_TRUE(it != found.end() && *it <= pvc + kTolerance) << pvc;
    }
}

// A peak in noise keeps a run's pace when the two intervals before it were
// 600 ms (586 raw samples) or shorter and it comes within 92 % to 116 % of
// the last one.
struct ORunPaceCase {
    const char* name;
    int32_t interval, last, before;
    bool keeps;
};

void PrintTo(const ORunPaceCase& c, std::ostream* out)
{
    *out << c.name;
}

class PreciseDetectorRunPace : public testing::TestWithParam<ORunPaceCase> {};

TEST_P(PreciseDetectorRunPace, OnlyARunFasterThan100BpmSetsThePace)
{
    const ORunPaceCase& c = GetParam();
    EXPECT_EQ(OPreciseDetector::KeepsRunPace(c.interval, c.last, c.before), c.keeps) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Bounds, PreciseDetectorRunPace,
                         testing::Values(ORunPaceCase{"same pace", 400, 400, 400, true},
                                         ORunPaceCase{"92 % of the last", 368, 400, 400, true},
                                         ORunPaceCase{"under 92 %", 367, 400, 400, false},
                                         ORunPaceCase{"116 % of the last", 464, 400, 400, true},
                                         ORunPaceCase{"over 116 %", 465, 400, 400, false},
                                         ORunPaceCase{"last at 600 ms", 586, 586, 400, true},
                                         ORunPaceCase{"last slower than 100 bpm", 587, 587, 400, false},
                                         ORunPaceCase{"one before at 600 ms", 400, 400, 586, true},
                                         ORunPaceCase{"one before slower than 100 bpm", 400, 400, 587, false},
                                         ORunPaceCase{"only one interval known", 400, 400, 0, false}),
                         [](const auto& info) { return std::to_string(info.index); });

} // namespace
