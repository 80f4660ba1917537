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
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <optional>
#include <ostream>
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
    const auto n = static_cast<int64_t>(t.rPeaks.size());
    for (int64_t k = 1; k < n && count < 4; ++k)
        for (const int64_t at : {int64_t(i) - k - 1, int64_t(i) + k + 1}) {
            if (at < 1 || at + 1 >= n)
                continue;
            const auto j = static_cast<size_t>(at);
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

void PrintTo(const OPrematureCase& c, std::ostream* out)
{
    *out << c.bpm << " bpm, coupling " << c.coupling;
}

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

// Each scheduled episode: the classes it makes and the event it is.
struct OEpisodeCase {
    const char* name;
    OEcgEpisode episode;
    const char* classes; // from its first premature beat on
    int leadingNormals;  // normal beats of the pattern before that
    const char* event;   // nullptr: no event
    double minBpm = 0, maxBpm = 1000;
};

void PrintTo(const OEpisodeCase& c, std::ostream* out)
{
    *out << c.name;
}

class ScheduledEpisodes : public testing::TestWithParam<OEpisodeCase> {};

TEST_P(ScheduledEpisodes, ClassesAndEventMatchTheSchedule)
{
    const OEpisodeCase c = GetParam();
    OEcgModelOptions options;
    options.bpm = 75;
    options.seed = 5;
    options.rhythm.episodes = {c.episode};
    const OClean clean = Generate(options, 75);
    const OEcgTruth& t = clean.truth;
    ASSERT_EQ(t.rPeaks.size(), t.classes.size());

    const std::string classes(t.classes.begin(), t.classes.end());
    const size_t first = classes.find_first_not_of('N');
    ASSERT_NE(first, std::string::npos);
    EXPECT_GE(Seconds(t, first), c.episode.startSeconds);
    EXPECT_LT(Seconds(t, first), c.episode.startSeconds + 2);
    const std::string pattern = c.classes;
    EXPECT_EQ(classes.substr(first, pattern.size()), pattern);
    EXPECT_EQ(classes.find_first_not_of('N', first + pattern.size()), std::string::npos) << classes;
    for (int i = 1; i <= c.leadingNormals; ++i)
        EXPECT_EQ(classes[first - size_t(i)], 'N');

    if (!c.event) {
        EXPECT_TRUE(t.events.empty()) << EcgEventName(t.events[0].kind);
        return;
    }
    ASSERT_EQ(t.events.size(), 1u);
    const OEcgEvent& e = t.events[0];
    EXPECT_STREQ(EcgEventName(e.kind), c.event);
    EXPECT_EQ(e.startSample, t.rPeaks[first - size_t(c.leadingNormals)]);
    EXPECT_EQ(e.endSample, t.rPeaks[first + pattern.size() - 1]);
    EXPECT_EQ(e.beats, int(pattern.size()) + c.leadingNormals);
    EXPECT_GE(e.meanBpm, c.minBpm);
    EXPECT_LE(e.meanBpm, c.maxBpm);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, ScheduledEpisodes,
    testing::Values(OEpisodeCase{"Pvc", {OEcgPattern::Pvc, 30}, "V", 0, nullptr},
                    OEpisodeCase{"Apc", {OEcgPattern::Apc, 30}, "S", 0, nullptr},
                    OEpisodeCase{"Couplet", {OEcgPattern::Couplet, 30}, "VV", 0, "COUPLET"},
                    OEpisodeCase{"VtRunOfFiveAt160", {OEcgPattern::VtRun, 30, 5, 160}, "VVVVV", 0, "VT", 150, 170},
                    OEpisodeCase{"ThreeVAt105AreVt", {OEcgPattern::VtRun, 30, 3, 105}, "VVV", 0, "VT", 100, 110},
                    OEpisodeCase{"ThreeVAt95AreNoVt", {OEcgPattern::VtRun, 30, 3, 95}, "VVV", 0, nullptr},
                    OEpisodeCase{"ARunIsThreeBeatsAtLeast", {OEcgPattern::VtRun, 30, 2, 160}, "VVV", 0, "VT"},
                    OEpisodeCase{"SvtRunOfFourAt140", {OEcgPattern::SvtRun, 30, 4, 140}, "SSSS", 0, "SVT", 130, 150},
                    OEpisodeCase{"ThreeSAt95AreNoSvt", {OEcgPattern::SvtRun, 30, 3, 95}, "SSS", 0, nullptr},
                    OEpisodeCase{"Bigeminy", {OEcgPattern::Bigeminy, 30, 4}, "VNVNVNV", 1, "BIGEMINY"},
                    OEpisodeCase{"Trigeminy", {OEcgPattern::Trigeminy, 30, 3}, "VNNVNNV", 2, "TRIGEMINY"}),
    [](const testing::TestParamInfo<OEpisodeCase>& info) { return std::string(info.param.name); });

// Atrial fibrillation switched on and off.
TEST(EcgRhythm, AtrialFibrillationIsIrregularWithFWavesAndNoPWavesBetweenSinusRhythm)
{
    OEcgModelOptions options;
    options.bpm = 70;
    options.seed = 9;
    options.rhythm.episodes = {{OEcgPattern::Af, 60, 0, 100, 90}};
    const OClean clean = Generate(options, 200);
    const OEcgTruth& t = clean.truth;
    ASSERT_EQ(t.events.size(), 1u);
    const OEcgEvent& af = t.events[0];
    EXPECT_STREQ(EcgEventName(af.kind), "AF");
    EXPECT_GE(af.startSample / kFs, 60);
    EXPECT_LT(af.startSample / kFs, 61.5);
    EXPECT_GT(af.endSample / kFs, 148);
    EXPECT_LE(af.endSample / kFs, 150);
    EXPECT_NEAR(af.beats, 150, 25);
    EXPECT_EQ(Count(t, 'N'), t.classes.size()) << "beats during AF are conducted normally";

    // RR statistics inside AF and in the sinus rhythm around it.
    struct OStats {
        std::vector<double> rr;
        double Cv() const
        {
            const double mean = std::accumulate(rr.begin(), rr.end(), 0.0) / double(rr.size());
            double var = 0;
            for (const double x : rr)
                var += (x - mean) * (x - mean);
            return std::sqrt(var / double(rr.size())) / mean;
        }
        double NormalisedRmssd() const
        {
            double sum = 0;
            for (size_t i = 1; i < rr.size(); ++i)
                sum += (rr[i] - rr[i - 1]) * (rr[i] - rr[i - 1]);
            return std::sqrt(sum / double(rr.size() - 1)) /
                   (std::accumulate(rr.begin(), rr.end(), 0.0) / double(rr.size()));
        }
    } inAf, sinus;
    // Ensemble averages of the P-wave window (100-250 ms before the R-peak).
    std::vector<double> pAf(size_t(Ms(150)) + 1), pSinus(pAf.size());
    double fAf = 0, fSinus = 0;
    int nAf = 0, nSinus = 0;
    int64_t crossings = 0, between = 0;
    for (size_t i = 1; i + 1 < t.rPeaks.size(); ++i) {
        const bool during = t.rPeaks[i] >= af.startSample && t.rPeaks[i] <= af.endSample;
        const bool clearOf = t.rPeaks[i] < af.startSample - Ms(5000) || t.rPeaks[i] > af.endSample + Ms(5000);
        if (!during && !clearOf)
            continue;
        const double rr = Seconds(t, i) - Seconds(t, i - 1);
        (during ? inAf : sinus).rr.push_back(rr);
        // The P-wave window, where the beat before has left it alone.
        if (rr > 0.6) {
            std::vector<double>& sum = during ? pAf : pSinus;
            for (size_t k = 0; k < sum.size(); ++k)
                sum[k] += At(clean, t.rPeaks[i] - Ms(250) + int64_t(k));
            ++(during ? nAf : nSinus);
        }
        // Between the T-wave and the next P-wave: f-waves or nothing.
        double largest = 0;
        int sign = 0;
        for (int64_t k = t.rPeaks[i] + Ms(450); k < t.rPeaks[i + 1] - Ms(300); ++k) {
            const double v = At(clean, k);
            largest = std::max(largest, std::fabs(v));
            if (during && std::fabs(v) > 10 && (v > 0 ? 1 : -1) != sign) {
                crossings += sign != 0;
                sign = v > 0 ? 1 : -1;
            }
            between += during;
        }
        (during ? fAf : fSinus) = std::max(during ? fAf : fSinus, largest);
    }
    ASSERT_GT(nAf, 20);
    ASSERT_GT(nSinus, 40);
    const double pWaveAf = *std::max_element(pAf.begin(), pAf.end()) / nAf;
    const double pWaveSinus = *std::max_element(pSinus.begin(), pSinus.end()) / nSinus;
    std::printf("AF: RR cv %.2f, nRMSSD %.2f, P %.0f counts, f-waves up to %.0f counts at %.1f Hz; "
                "sinus: RR cv %.3f, P %.0f counts, %.0f counts between beats\n",
                inAf.Cv(), inAf.NormalisedRmssd(), pWaveAf, fAf, crossings / 2.0 / (between / kFs), sinus.Cv(),
                pWaveSinus, fSinus);
    EXPECT_GT(inAf.Cv(), 0.15);
    EXPECT_GT(inAf.NormalisedRmssd(), 0.2);
    EXPECT_LT(sinus.Cv(), 0.06);
    EXPECT_LT(pWaveAf, 0.03 * kR);
    EXPECT_GT(pWaveSinus, 0.07 * kR);
    EXPECT_GT(fAf, 0.04 * kR);
    EXPECT_LT(fSinus, 0.01 * kR);
    const double hz = crossings / 2.0 / (between / kFs);
    EXPECT_GE(hz, 4);
    EXPECT_LE(hz, 9);
}

TEST(EcgRhythm, IsolatedBeatsComeAtTheirRatesAloneAndTheSameForTheSameSeed)
{
    OEcgModelOptions options;
    options.bpm = 80;
    options.seed = 3;
    options.rhythm.pvcPerMinute = 4;
    options.rhythm.apcPerMinute = 2;
    const OClean clean = Generate(options, 600);
    const OEcgTruth& t = clean.truth;
    EXPECT_NEAR(double(Count(t, 'V')), 40, 8);
    EXPECT_NEAR(double(Count(t, 'S')), 20, 5);
    EXPECT_TRUE(t.events.empty());
    const std::string classes(t.classes.begin(), t.classes.end());
    for (size_t i = classes.find_first_not_of('N'); i != std::string::npos; i = classes.find_first_not_of('N', i + 1)) {
        const size_t next = classes.find_first_not_of('N', i + 1);
        if (next != std::string::npos) {
            EXPECT_GE(next - i, 4u) << "at least three normal beats between premature ones, at " << i;
        }
    }

    const OClean again = Generate(options, 600);
    EXPECT_EQ(again.samples, clean.samples);
    EXPECT_EQ(again.truth.rPeaks, t.rPeaks);
    options.seed = 4;
    EXPECT_NE(Generate(options, 600).truth.classes, t.classes);
}

// The recordings tests and benchmarks take: every kind of episode at any
// sinus rate from 50 to 150 bpm, written as the device writes them.
class EctopyRecordings : public testing::TestWithParam<double> {};

TEST_P(EctopyRecordings, HoldEveryEpisodeAndManyIsolatedBeats)
{
    const double bpm = GetParam();
    TempDir dir;
    const std::string path = dir.File("ectopy.экг");
    const std::optional<OEcgTruth> truth = WriteEctopyRecording(path, bpm, 5, 7);
    ASSERT_TRUE(truth);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_TRUE(file);
    std::fseek(file, 0, SEEK_END);
    const long bytes = std::ftell(file);
    std::fclose(file);
    EXPECT_EQ(bytes, 1252 * ORecordingWriter::kSectorBytes);

    ASSERT_EQ(truth->rPeaks.size(), truth->classes.size());
    std::printf("%g bpm: %zu beats, %zu V, %zu S\n", bpm, truth->classes.size(), Count(*truth, 'V'),
                Count(*truth, 'S'));
    EXPECT_GE(Count(*truth, 'V'), 30u);
    EXPECT_GE(Count(*truth, 'S'), 15u);
    std::string kinds;
    for (const OEcgEvent& e : truth->events) {
        kinds += std::string(EcgEventName(e.kind)) + " ";
        EXPECT_LT(e.startSample, e.endSample);
        EXPECT_LE(e.endSample, 1252 * ORecordingWriter::kSamplesPerSector);
    }
    EXPECT_EQ(kinds, "COUPLET VT BIGEMINY TRIGEMINY SVT AF ");
    // Isolated premature beats keep away from the episodes.
    for (size_t i = 0; i < truth->classes.size(); ++i) {
        if (truth->classes[i] == 'N')
            continue;
        const int64_t r = truth->rPeaks[i];
        bool inside = false;
        int64_t nearest = INT64_MAX;
        for (const OEcgEvent& e : truth->events) {
            inside = inside || (r >= e.startSample && r <= e.endSample);
            nearest = std::min<int64_t>({nearest, std::llabs(r - e.startSample), std::llabs(r - e.endSample)});
        }
        if (!inside) {
            EXPECT_GT(nearest / kFs, 5) << "premature beat at " << r / kFs << " s";
        }
    }
    const OEcgEvent& af = truth->events.back();
    EXPECT_GE((af.endSample - af.startSample) / kFs, 60);

    EXPECT_EQ(WriteEctopyRecording(dir.File("missing/e.экг"), bpm, 1, 7), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Rates, EctopyRecordings, testing::Values(50, 100, 150),
                         [](const testing::TestParamInfo<double>& info) {
                             return std::to_string(int(info.param)) + "bpm";
                         });

// The sinus impulse that comes within 0.9 sinus cycles of a ventricular beat
// is blocked: after a couplet, whether the next one conducts depends on it.
struct OBlockCase {
    double coupling;
    double pauseAfter; // from the second V to the next beat, in sinus cycles
};

class SinusBlockAfterV : public testing::TestWithParam<OBlockCase> {};

TEST_P(SinusBlockAfterV, ImpulseWithinNineTenthsOfACycleIsBlocked)
{
    const OBlockCase c = GetParam();
    OEcgModelOptions options;
    options.bpm = 60;
    options.variability = 0;
    options.rhythm.pvcCoupling = c.coupling;
    options.rhythm.episodes = {{OEcgPattern::Couplet, 20}};
    const OEcgTruth t = Generate(options, 40).truth;
    const std::string classes(t.classes.begin(), t.classes.end());
    const size_t first = classes.find("VV");
    ASSERT_NE(first, std::string::npos);
    const size_t second = first + 1;
    // The second V comes 2 x coupling cycles after the last normal beat; the
    // sinus impulses go on at whole cycles from it.
    EXPECT_NEAR(Seconds(t, second + 1) - Seconds(t, second), c.pauseAfter, 0.04);
}

INSTANTIATE_TEST_SUITE_P(Couplets, SinusBlockAfterV,
                         testing::Values(OBlockCase{0.53, 2 - 1.06}, OBlockCase{0.57, 3 - 1.14}),
                         [](const testing::TestParamInfo<OBlockCase>& info) {
                             return "coupling" + std::to_string(int(info.param.coupling * 100));
                         });
