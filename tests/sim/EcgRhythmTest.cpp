// The ECG model's rhythms: premature beats look and come as they should,
// atrial fibrillation is irregular with f-waves instead of P-waves, and the
// truth (each beat's class, each episode) matches what was scheduled.
#include "EcgModel.h"
#include "EctopyRecording.h"
#include "RecordingWriter.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <string>

namespace {

constexpr double kFs = OEcgModel::kSampleRate;
constexpr double kBaseline = 5000;
constexpr double kR = 1200;

// A signal without noise or wander (the mains hum of 3 counts stays).
struct OClean {
    std::vector<uint16_t> samples;
    OEcgTruth truth;
};

OClean Generate(OEcgModelOptions options, double seconds)
{
    options.noise = 0;
    options.wander = 0;
    OEcgModel model(options);
    OClean clean;
    clean.samples.resize(size_t(seconds * kFs));
    model.Generate(clean.samples.data(), int64_t(clean.samples.size()));
    clean.truth = model.Truth();
    return clean;
}

double At(const OClean& c, int64_t i)
{
    i = std::clamp<int64_t>(i, 0, int64_t(c.samples.size()) - 1);
    return c.samples[size_t(i)] - kBaseline;
}

int64_t Ms(double ms)
{
    return std::llround(ms * kFs / 1000);
}

// QRS duration: the stretch around the R-peak that strays more than 15 % of
// the R-wave from the baseline, bridging returns shorter than 15 ms (the
// turn from R to S) but not the isoelectric segment before the T-wave. The
// QRS begins within 80 ms of the R-peak (before that, at fast rates, lies the
// T-wave of the beat before).
double QrsMs(const OClean& c, int64_t r)
{
    const int64_t gap = Ms(15);
    auto edge = [&](int step) {
        int64_t last = r;
        const int64_t reach = Ms(step > 0 ? 200 : 80);
        for (int64_t i = r; std::llabs(i - r) <= reach && std::llabs(i - last) <= gap; i += step)
            if (std::fabs(At(c, i)) > 0.15 * kR)
                last = i;
        return last;
    };
    return (edge(1) - edge(-1)) * 1000 / kFs;
}

// The P-wave window, 100 to 250 ms before the R-peak: its largest excursion
// up and down.
std::pair<double, double> PWindow(const OClean& c, int64_t r)
{
    double low = 1e9, high = -1e9;
    for (int64_t i = r - Ms(250); i <= r - Ms(100); ++i) {
        low = std::min(low, At(c, i));
        high = std::max(high, At(c, i));
    }
    return {low, high};
}

double Seconds(const OEcgTruth& t, size_t i)
{
    return t.rPeaks[i] / kFs;
}

// The sinus cycle around beat i: the mean of the nearest N-N intervals that
// are not next to a premature beat.
double LocalRr(const OEcgTruth& t, size_t i)
{
    double sum = 0;
    int count = 0;
    for (size_t k = 1; k < t.rPeaks.size() && count < 4; ++k)
        for (const size_t j : {i - k - 1, i + k + 1}) {
            if (j < 1 || j + 1 >= t.rPeaks.size() || j + 1 > t.rPeaks.size())
                continue;
            if (t.classes[j] == 'N' && t.classes[j - 1] == 'N' && (j < 2 || t.classes[j - 2] == 'N') &&
                t.classes[j + 1] == 'N') {
                sum += Seconds(t, j) - Seconds(t, j - 1);
                ++count;
            }
        }
    return count ? sum / count : 0;
}

size_t Count(const OEcgTruth& t, char beatClass)
{
    return size_t(std::count(t.classes.begin(), t.classes.end(), beatClass));
}

} // namespace

TEST(EcgRhythm, WithoutARhythmTheSignalIsTheSinusModelsAsBefore)
{
    // A fingerprint of the sinus model's first minute: the demo card and the
    // detection benchmarks rely on these very samples.
    OEcgModelOptions options;
    options.seed = 11;
    OEcgModel model(options);
    std::vector<uint16_t> samples(size_t(60 * kFs));
    model.Generate(samples.data(), int64_t(samples.size()));
    uint64_t hash = 1469598103934665603ull;
    for (const uint16_t s : samples)
        hash = (hash ^ s) * 1099511628211ull;
    EXPECT_EQ(hash, 0xdf8218952652943ull) << std::hex << hash;
    EXPECT_EQ(model.RPeaks().size(), model.BeatClasses().size());
    EXPECT_EQ(Count(model.Truth(), 'N'), model.RPeaks().size());
    EXPECT_TRUE(model.Events().empty());
}

// Isolated premature beats over the range of rates: shape and timing.
struct OPrematureCase {
    double bpm;
    double coupling; // of the PVCs
};

class PrematureBeats : public testing::TestWithParam<OPrematureCase> {};

TEST_P(PrematureBeats, PvcIsWideWithoutPEarlyWithACompensatoryPauseApcEarlyWithAChangedPAndNoCompensation)
{
    const OPrematureCase c = GetParam();
    OEcgModelOptions options;
    options.bpm = c.bpm;
    options.variability = 0.01; // a steady sinus cycle to measure against
    options.seed = uint32_t(c.bpm);
    options.rhythm.pvcPerMinute = 5;
    options.rhythm.apcPerMinute = 5;
    options.rhythm.pvcCoupling = c.coupling;
    const OClean clean = Generate(options, 300);
    const OEcgTruth& t = clean.truth;
    ASSERT_EQ(t.rPeaks.size(), t.classes.size());
    EXPECT_GE(Count(t, 'V'), 15u);
    EXPECT_GE(Count(t, 'S'), 15u);

    double normalWidth = 0, normalP = 0, ventricularWidth = 0;
    int normals = 0;
    for (size_t i = 3; i + 3 < t.rPeaks.size(); ++i) {
        const double rr = LocalRr(t, i);
        ASSERT_GT(rr, 0);
        const double before = Seconds(t, i) - Seconds(t, i - 1), after = Seconds(t, i + 1) - Seconds(t, i);
        const auto [pLow, pHigh] = PWindow(clean, t.rPeaks[i]);
        const double width = QrsMs(clean, t.rPeaks[i]);
        switch (t.classes[i]) {
        case 'N':
            if (t.classes[i - 1] == 'N' && t.classes[i + 1] == 'N') {
                normalWidth += width;
                normalP += pHigh;
                ++normals;
            }
            break;
        case 'V':
            EXPECT_NEAR(before / rr, c.coupling, 0.06) << i;
            EXPECT_NEAR((before + after) / rr, 2, 0.08) << "compensatory pause at " << i;
            ventricularWidth += width;
            EXPECT_GE(width, 110) << i;
            EXPECT_LE(width, 170) << i;
            if (c.coupling >= 0.8) { // the beat before's T-wave is over: no P is there
                EXPECT_LT(pHigh, 0.03 * kR) << i;
            }
            break;
        case 'S':
            EXPECT_NEAR(before / rr, 0.7, 0.06) << i;
            EXPECT_LT((before + after) / rr, 1.85) << "sinus reset at " << i;
            EXPECT_GT((before + after) / rr, 1.55) << i;
            EXPECT_LT(width, 105) << i;
            EXPECT_LT(pLow, -0.04 * kR) << "the premature P is inverted, at " << i;
            break;
        default:
            ADD_FAILURE() << t.classes[i];
        }
    }
    ASSERT_GT(normals, 100);
    normalWidth /= normals;
    normalP /= normals;
    ventricularWidth /= double(Count(t, 'V'));
    std::printf("%g bpm: QRS N %.0f ms, V %.0f ms; P %.0f counts\n", c.bpm, normalWidth, ventricularWidth, normalP);
    EXPECT_LT(normalWidth, 105);
    EXPECT_GT(ventricularWidth, 1.4 * normalWidth);
    EXPECT_GT(normalP, 0.07 * kR);
}

INSTANTIATE_TEST_SUITE_P(Rates, PrematureBeats,
                         testing::Values(OPrematureCase{50, 0.6}, OPrematureCase{75, 0.6}, OPrematureCase{75, 0.85},
                                         OPrematureCase{110, 0.6}, OPrematureCase{150, 0.65}),
                         [](const testing::TestParamInfo<OPrematureCase>& info) {
                             return std::to_string(int(info.param.bpm)) + "bpm_coupling" +
                                    std::to_string(int(info.param.coupling * 100));
                         });
