// Detections in ventricular flutter are Q: a sustained run faster than
// 240 bpm, or a neighbourhood faster than 160 bpm without a baseline between
// its waves. Each bound is tried on both sides, on hand-made intervals and
// baseline shares, and the baseline share itself on a sine and on a beat.
#include "BeatFeatures.h"
#include "BeatFlutter.h"
#include "EcgTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct OFlutterCase {
    const char* name;
    double intervalMs; // between all detections
    float level;       // every detection's baseline share
    float edgeLevel;   // of the first and last five, where the neighbourhood is not whole
    int detections;
    int expectedMarked;
};

class Flutter : public testing::TestWithParam<OFlutterCase> {};

TEST_P(Flutter, SustainedFastOscillationIsMarked)
{
    const OFlutterCase& c = GetParam();
    std::vector<OImpulse> beats(size_t(c.detections));
    for (size_t i = 0; i < beats.size(); ++i)
        beats[i].Pos = int64_t(10000 + double(i) * c.intervalMs / 1000.0 * kSampleRate);
    std::vector<float> level(beats.size(), c.level);
    for (size_t i = 0; i < beats.size(); ++i)
        if (i < 5 || i + 5 >= beats.size())
            level[i] = c.edgeLevel;
    const std::vector<uint8_t> marked = beat::FlutterWaves(beats.data(), int64_t(beats.size()), level);
    int count = 0;
    for (const uint8_t m : marked)
        count += m != 0;
    EXPECT_EQ(count, c.expectedMarked);
}

// 30 detections leave 20 with five on either side; the stretch reaches the
// five at each end while their own baseline share stays under 0.35.
INSTANTIATE_TEST_SUITE_P(
    Bounds, Flutter,
    testing::Values(OFlutterCase{"NoBaselineAt170Bpm", 353, 0.25f, 0.25f, 30, 30},
                    OFlutterCase{"NoBaselineAt150Bpm", 400, 0.25f, 0.25f, 30, 0},
                    OFlutterCase{"LittleBaselineAt170Bpm", 353, 0.26f, 0.26f, 30, 30},
                    OFlutterCase{"BaselineAt170Bpm", 353, 0.30f, 0.30f, 30, 0},
                    OFlutterCase{"JustFasterThan160Bpm", 365, 0.2f, 0.2f, 30, 30},
                    OFlutterCase{"JustSlowerThan160Bpm", 385, 0.2f, 0.2f, 30, 0},
                    OFlutterCase{"EndsWithLittleBaselineJoin", 353, 0.2f, 0.34f, 30, 30},
                    OFlutterCase{"EndsWithBaselineStayOut", 353, 0.2f, 0.36f, 30, 20},
                    OFlutterCase{"SixBriefIntervals", 230, 1.0f, 1.0f, 7, 5},
                    OFlutterCase{"FiveBriefIntervals", 230, 1.0f, 1.0f, 6, 0},
                    OFlutterCase{"SixIntervalsOf260Ms", 260, 1.0f, 1.0f, 7, 0}),
    [](const testing::TestParamInfo<OFlutterCase>& info) { return std::string(info.param.name); });

TEST(BaselineShare, SineHasLittleBeatHasMuch)
{
    beat::OWave sine{}, pulse{};
    for (int k = 0; k < beat::kWindow; ++k) {
        const double t = k * beat::kMsPerPoint;
        sine[size_t(k)] = float(1000 * std::sin(2 * M_PI * t / 280.0)); // 214 bpm
        const double d = (t - 295) / 12;
        pulse[size_t(k)] = float(1000 * std::exp(-d * d));
    }
    EXPECT_LT(beat::BaselineShare(sine.data(), beat::kWindow), beat::kLevelShare);
    EXPECT_GT(beat::BaselineShare(pulse.data(), beat::kWindow), 0.5);
}

} // namespace
