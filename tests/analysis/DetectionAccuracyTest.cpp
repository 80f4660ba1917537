// R-peak detection scored against the true peaks of synthetic recordings:
// a clean ten-minute recording at about 70 bpm, and two minutes at about
// 120 bpm with a stretch of electrode noise that must be flagged, not counted.
#include "AnalysisFixtures.h"
#include "EcgTime.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

constexpr int64_t kTolerance = 146; // 150 ms in samples

struct OAnalysedRecording {
    TempDir dir;
    OEcgFile file;
    std::unique_ptr<OEKGFilter> filter = std::make_unique<OEKGFilter>();
    std::vector<int64_t> truth;
};

void Analyse(OAnalysedRecording& r, const ORecordingOptions& options, int64_t sectors)
{
    const std::string path = r.dir.File("запись.экг");
    WriteFileBytes(path, MakeRecording(options, sectors, &r.truth));
    ASSERT_TRUE(r.file.OpenEcgFile(path, true));
    OProcessControl control;
    ASSERT_EQ(ProcessFile(r.file, *r.filter, control), sectors);
}

TEST(DetectionAccuracy, CleanTenMinutesAt70BpmFindsEveryBeat)
{
    TestDialogs dialogs;
    ORecordingOptions options;
    options.ecg.bpm = 70;
    options.ecg.seed = 7;
    OAnalysedRecording r;
    Analyse(r, options, 2504);
    const auto& impulses = r.file.ImpulseInfo();

    const OScore all = ScorePeaks(r.truth, ImpulsePositions(impulses.Data(), impulses.Count(), false), kTolerance);
    std::printf("clean 70 bpm: %zu beats, TP %lld FN %lld FP %lld\n", r.truth.size(), (long long)all.truePositives,
                (long long)all.falseNegatives, (long long)all.falsePositives);
    EXPECT_GE(all.Sensitivity(), 0.995);
    EXPECT_GE(all.Predictivity(), 0.995);
    // Once the threshold has learnt the first beats, only the last impulse
    // carries a flag on a clean recording.
    int flagged = 0;
    for (int64_t i = 0; i < impulses.Count(); ++i)
        flagged += impulses[i].Pos > 2 * kSampleRate && impulses[i].Flags != 0;
    EXPECT_EQ(flagged, 1);
    EXPECT_GT(r.file.Puls().Count(), 0);
}

TEST(DetectionAccuracy, ElectrodeNoiseAt120BpmIsFlaggedNotCounted)
{
    TestDialogs dialogs;
    ORecordingOptions options;
    options.ecg.bpm = 120;
    options.ecg.seed = 11;
    options.ecg.electrodeNoise = {{50.0, 20.0}};
    OAnalysedRecording r;
    Analyse(r, options, 501);
    const auto& impulses = r.file.ImpulseInfo();

    const int64_t noiseFirst = static_cast<int64_t>(50.0 * kSampleRate),
                  noiseEnd = static_cast<int64_t>(70.0 * kSampleRate);
    int64_t inNoise = 0, countedInNoise = 0;
    for (int64_t i = 0; i < impulses.Count(); ++i)
        if (impulses[i].Pos >= noiseFirst && impulses[i].Pos < noiseEnd) {
            ++inNoise;
            countedInNoise += impulses[i].Flags == 0;
        }
    std::printf("noisy 120 bpm: %lld impulses in the noise, %lld unflagged\n", (long long)inNoise,
                (long long)countedInNoise);
    EXPECT_EQ(countedInNoise, 0);

    // Outside the noise (and a few seconds around it) every beat is found.
    const int64_t margin = static_cast<int64_t>(5 * kSampleRate);
    auto outside = [&](int64_t p) { return p < noiseFirst - margin || p >= noiseEnd + margin; };
    std::vector<int64_t> truth, detected;
    for (int64_t p : r.truth)
        if (outside(p))
            truth.push_back(p);
    for (int64_t p : ImpulsePositions(impulses.Data(), impulses.Count(), false))
        if (outside(p))
            detected.push_back(p);
    const OScore score = ScorePeaks(truth, detected, kTolerance);
    EXPECT_GE(score.Sensitivity(), 0.995);
    EXPECT_GE(score.Predictivity(), 0.995);

    // The pulse-rate curve does not pass through the noise with a rate.
    for (int64_t i = 0; i < r.file.Puls().Count(); ++i) {
        const OPoint& p = r.file.Puls()[i];
        if (p.x > noiseFirst + margin && p.x < noiseEnd - margin) {
            EXPECT_LE(p.y, 0.0) << "pulse point at " << p.x;
        }
    }
}

} // namespace
