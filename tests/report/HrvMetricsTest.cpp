// Heart-rate variability on small RR series worked out by hand, the NN rule,
// and the spectrum of modulated series.
#include "FrequencyDomain.h"
#include "HrvMetrics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

namespace {

// Beats whose consecutive intervals are rr (ms), the first at 1 s; beats
// whose index is in flagged carry flag bit 1.
std::vector<OBeat> Beats(const std::vector<double>& rr, const std::set<size_t>& flagged = {})
{
    std::vector<OBeat> beats{{1000, uint8_t(flagged.count(0) ? 1 : 0)}};
    for (double v : rr)
        beats.push_back({beats.back().timeMs + v, uint8_t(flagged.count(beats.size()) ? 1 : 0)});
    return beats;
}

struct HandCase {
    const char* name;
    std::vector<double> rr;
    std::set<size_t> flagged;
    std::vector<bool> nn;
    double meanNn, sdnn, rmssd, pnn50, triangular;
    std::optional<double> sd1, sd2;
};

class HandWorked : public ::testing::TestWithParam<HandCase> {};

TEST_P(HandWorked, FiguresMatchTheHandCalculation)
{
    const HandCase& c = GetParam();
    const std::vector<ORrInterval> rr = RrIntervals(Beats(c.rr, c.flagged));
    ASSERT_EQ(rr.size(), c.rr.size());
    for (size_t i = 0; i < rr.size(); ++i)
        EXPECT_EQ(rr[i].nn, c.nn[i]) << "interval " << i;
    const OTimeDomain d = TimeDomain(rr);
    EXPECT_NEAR(*d.meanNn, c.meanNn, 1e-3);
    EXPECT_NEAR(*d.sdnn, c.sdnn, 1e-3);
    EXPECT_NEAR(*d.rmssd, c.rmssd, 1e-3);
    EXPECT_NEAR(*d.pnn50, c.pnn50, 1e-9);
    EXPECT_NEAR(*d.triangularIndex, c.triangular, 1e-9);
    ASSERT_EQ(d.sd1.has_value(), c.sd1.has_value());
    if (c.sd1) {
        EXPECT_NEAR(*d.sd1, *c.sd1, 1e-3);
    }
    ASSERT_EQ(d.sd2.has_value(), c.sd2.has_value());
    if (c.sd2) {
        EXPECT_NEAR(*d.sd2, *c.sd2, 1e-3);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Series, HandWorked,
    ::testing::Values(
        // Steady rise: every difference 10 ms, SD1 0, SD2 = sqrt(2) SDNN;
        // 800..850 fall into six different 7.8125 ms bins.
        HandCase{"rise", {800, 810, 820, 830, 840, 850}, {}, {1, 1, 1, 1, 1, 1}, 825, 18.70829, 10, 0, 6, 0, 26.45751},
        // 1300 is an outlier (more than 20 % from the median of its
        // neighbours), beat 7 is flagged and takes both of its intervals
        // with it; the adjacent pairs left are (0,1), (1,2), (4,5), (8,9)
        // with differences 20, -20, -10, 60: one above 50 ms.
        HandCase{"outlier and flagged beat",
                 {800, 820, 800, 1300, 810, 800, 790, 800, 820, 880},
                 {7},
                 {1, 1, 1, 0, 1, 1, 0, 0, 1, 1},
                 818.57143,
                 28.53569,
                 33.54102,
                 25,
                 7.0 / 3,                                     // 800 three times in bin 102
                 std::sqrt((4500 - 4 * 12.5 * 12.5) / 3 / 2), // differences' mean is 12.5
                 std::sqrt(2 * 28.535692 * 28.535692 - (4500 - 4 * 12.5 * 12.5) / 3 / 2)},
        // Alternating 800/860: SD1 outgrows sqrt(2) SDNN, so there is no SD2.
        HandCase{"alternating",
                 {800, 860, 800, 860, 800},
                 {},
                 {1, 1, 1, 1, 1},
                 824,
                 std::sqrt(1080.0),
                 60,
                 100,
                 5.0 / 3,
                 std::sqrt(4800.0 / 2),
                 std::nullopt}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(NnRule, LimitsAndPauses)
{
    // 2500 ms is a pause and no NN (above 2000); 250 ms too short. The
    // intervals around them stay NN: the median of ten neighbours holds.
    const std::vector<double> rr = {900, 900, 900, 2500, 900, 900, 250, 900, 900, 900};
    const std::vector<ORrInterval> r = RrIntervals(Beats(rr));
    const std::vector<bool> nn = {1, 1, 1, 0, 1, 1, 0, 1, 1, 1};
    for (size_t i = 0; i < r.size(); ++i)
        EXPECT_EQ(r[i].nn, nn[i]) << i;
    EXPECT_DOUBLE_EQ(r[3].rrMs, 2500);
    EXPECT_DOUBLE_EQ(r[3].timeS, (1000 + 900 * 3 + 2500) / 1000.0);
    const OTimeDomain d = TimeDomain(r);
    EXPECT_EQ(d.nnCount, 8);
    EXPECT_EQ(d.excludedCount, 2);
    EXPECT_DOUBLE_EQ(*d.rmssd, 0); // only adjacent pairs: every difference is 0
}

// An interval is NN only when both its beats are N (or unclassified, as
// before the classifier ran): one beat of each class among regular beats, at
// the regular time so that only its class can exclude it, in the middle and
// at either end.
TEST(NnRule, BothBeatsMustBeNormal)
{
    const struct {
        char beatClass;
        size_t at; // beat index among 11 beats, 10 intervals
        std::vector<bool> nn;
    } cases[] = {
        {kBeatUnclassified, 5, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}}, {kBeatNormal, 5, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {kBeatSupra, 5, {1, 1, 1, 1, 0, 0, 1, 1, 1, 1}},        {kBeatVentricular, 5, {1, 1, 1, 1, 0, 0, 1, 1, 1, 1}},
        {kBeatFusion, 5, {1, 1, 1, 1, 0, 0, 1, 1, 1, 1}},       {kBeatUnknown, 5, {1, 1, 1, 1, 0, 0, 1, 1, 1, 1}},
        {kBeatVentricular, 0, {0, 1, 1, 1, 1, 1, 1, 1, 1, 1}},  {kBeatVentricular, 10, {1, 1, 1, 1, 1, 1, 1, 1, 1, 0}},
    };
    for (const auto& c : cases) {
        std::vector<OBeat> beats = Beats(std::vector<double>(10, 900));
        for (OBeat& b : beats)
            b.beatClass = c.beatClass == kBeatUnclassified ? kBeatUnclassified : kBeatNormal;
        beats[c.at].beatClass = c.beatClass;
        const std::vector<ORrInterval> r = RrIntervals(beats);
        ASSERT_EQ(r.size(), c.nn.size());
        for (size_t i = 0; i < r.size(); ++i)
            EXPECT_EQ(r[i].nn, c.nn[i]) << "class '" << c.beatClass << "' at " << c.at << ", interval " << i;
    }
}

TEST(NnRule, TooFewBeatsGiveNoFigures)
{
    for (const std::vector<OBeat>& beats : {std::vector<OBeat>{}, std::vector<OBeat>{{500, 0}}}) {
        const OTimeDomain d = TimeDomain(RrIntervals(beats));
        EXPECT_EQ(d.nnCount, 0);
        EXPECT_FALSE(d.meanNn || d.sdnn || d.rmssd || d.pnn50 || d.triangularIndex || d.sd1 || d.sd2 || d.sdann ||
                     d.sdnnIndex);
    }
    // One interval: a mean, no spread.
    const OTimeDomain one = TimeDomain(RrIntervals(Beats({800})));
    EXPECT_DOUBLE_EQ(*one.meanNn, 800);
    EXPECT_FALSE(one.sdnn || one.rmssd);
}

// RR(t) = 800 + 50 sin(2π f t) for ten minutes.
std::vector<ORrInterval> Modulated(double hz)
{
    std::vector<OBeat> beats{{0, 0}};
    while (beats.back().timeMs < 600000) {
        const double t = beats.back().timeMs / 1000;
        beats.push_back({beats.back().timeMs + 800 + 50 * std::sin(2 * std::numbers::pi * hz * t), 0});
    }
    beats.pop_back();
    return RrIntervals(beats);
}

TEST(Spectrum, ModulationLandsInItsBand)
{
    const OFrequencyDomain slow = FrequencyDomain(Modulated(0.1));
    const OFrequencyDomain fast = FrequencyDomain(Modulated(0.25));
    ASSERT_EQ(slow.segmentsUsed, 2);
    ASSERT_EQ(fast.segmentsUsed, 2);
    // A sinusoid of amplitude 50 ms has a power of 1250 ms²; sampled at the
    // beats and interpolated linearly, the faster one loses some of it.
    EXPECT_NEAR(*slow.lf, 1250, 150);
    EXPECT_NEAR(*fast.hf, 1000, 200);
    EXPECT_GT(*slow.lfHf, 50);
    EXPECT_LT(*fast.lfHf, 0.02);
    EXPECT_LT(*slow.vlf, 25);
}

TEST(Spectrum, BandEdgesBelongToTheUpperBand)
{
    // Bin k lies at k / 300 Hz: 0.04 Hz is bin 12, 0.15 Hz bin 45, 0.4 Hz bin 120.
    struct {
        size_t bin;
        double vlf, lf, hf;
    } const cases[] = {{0, 0, 0, 0},  {1, 1, 0, 0},  {11, 1, 0, 0},  {12, 0, 1, 0},
                       {44, 0, 1, 0}, {45, 0, 0, 1}, {119, 0, 0, 1}, {120, 0, 0, 0}};
    for (const auto& c : cases) {
        std::vector<double> psd(601, 0.0);
        psd[c.bin] = 300; // one ms² once multiplied by the bin width
        EXPECT_NEAR(BandPower(psd, kVlf), c.vlf, 1e-12) << c.bin;
        EXPECT_NEAR(BandPower(psd, kLf), c.lf, 1e-12) << c.bin;
        EXPECT_NEAR(BandPower(psd, kHf), c.hf, 1e-12) << c.bin;
    }
}

TEST(Spectrum, SegmentNeedsItsNnTime)
{
    // 260 s of NN in the first five minutes: not enough for a spectrum.
    std::vector<double> rr(325, 800.0);
    EXPECT_EQ(FrequencyDomain(RrIntervals(Beats(rr))).segmentsUsed, 0);
    EXPECT_FALSE(FrequencyDomain(RrIntervals(Beats(rr))).lf);
}

} // namespace
