// The report's rules at their boundaries: an interval just inside and one just
// outside every number that defines NN intervals (300 and 2000 ms, 20 % of
// the median of five neighbours on each side) and pauses (longer than 2 s),
// so that a changed number fails here. The report prints these definitions
// on its last page; every report changes with them.
#include "HolterReport.h"
#include "HrvMetrics.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

// Unflagged beats whose consecutive intervals are rr (ms), the first at 1 s.
std::vector<OBeat> Beats(const std::vector<double>& rr)
{
    std::vector<OBeat> beats{{1000, 0}};
    for (double v : rr)
        beats.push_back({beats.back().timeMs + v, 0});
    return beats;
}

// count copies of rr.
std::vector<double> Run(size_t count, double rr)
{
    return std::vector<double>(count, rr);
}

// before, then the interval under test, then after.
std::vector<double> Around(const std::vector<double>& before, double tested, const std::vector<double>& after)
{
    std::vector<double> rr = before;
    rr.push_back(tested);
    rr.insert(rr.end(), after.begin(), after.end());
    return rr;
}

struct NnCase {
    const char* name;
    std::vector<double> rr;
    size_t tested; // index of the interval under test
    bool nn;
};

void PrintTo(const NnCase& c, std::ostream* out)
{
    *out << c.name;
}

class NnBoundary : public ::testing::TestWithParam<NnCase> {};

TEST_P(NnBoundary, IntervalIsNnOnlyInsideTheLimits)
{
    const NnCase& c = GetParam();
    const std::vector<ORrInterval> rr = RrIntervals(Beats(c.rr));
    ASSERT_EQ(rr.size(), c.rr.size());
    EXPECT_EQ(rr[c.tested].rrMs, c.rr[c.tested]);
    EXPECT_EQ(rr[c.tested].nn, c.nn) << c.rr[c.tested] << " ms";
}

INSTANTIATE_TEST_SUITE_P(
    Limits, NnBoundary,
    ::testing::Values(
        // 20 % of the neighbours' median (1000 ms) either way; 1201 ms is
        // within 20 % of itself, so the median is the measure.
        NnCase{"median_plus_199", Around(Run(5, 1000), 1199, Run(5, 1000)), 5, true},
        NnCase{"median_plus_201", Around(Run(5, 1000), 1201, Run(5, 1000)), 5, false},
        NnCase{"median_minus_199", Around(Run(5, 1000), 801, Run(5, 1000)), 5, true},
        NnCase{"median_minus_201", Around(Run(5, 1000), 799, Run(5, 1000)), 5, false},
        // The median, not the previous interval: 1150 ms after 700 ms is NN.
        NnCase{"median_not_previous", Around({1000, 1000, 1000, 1000, 700}, 1150, Run(5, 1000)), 5, true},
        // At the start only the next five intervals count (1000 ms); with
        // the 600 ms intervals after them the median would be 800 ms and
        // 1190 ms out.
        NnCase{"first_interval_five_after", Around({}, 1190, {1000, 1000, 1000, 1000, 1000, 600, 600, 600, 600, 600}),
               0, true},
        // Five neighbours on each side, no more and no fewer: their median is
        // 1100 ms and 1300 ms within 20 % of it; four on each side would give
        // 1050 ms, six (with the 600 ms ones) 1050 ms, and 1300 ms out.
        NnCase{"five_each_side", Around({600, 1100, 1000, 1100, 1000, 1100}, 1300, {1100, 1000, 1100, 1000, 1100, 600}),
               6, true},
        // The fixed limits 300 and 2000 ms, both belonging to NN, with
        // neighbours close enough that only the limit decides.
        NnCase{"at_300", Around(Run(5, 300), 300, Run(5, 300)), 5, true},
        NnCase{"below_300", Around(Run(5, 300), 299, Run(5, 300)), 5, false},
        NnCase{"at_2000", Around(Run(5, 2000), 2000, Run(5, 2000)), 5, true},
        NnCase{"above_2000", Around(Run(5, 2000), 2001, Run(5, 2000)), 5, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A steady minute at 1000 ms with one interval of rrMs in the middle.
OReportInput WithInterval(double rrMs)
{
    OReportInput in;
    in.durationS = 60;
    std::vector<double> rr = Around(Run(25, 1000), rrMs, Run(25, 1000));
    in.beats = Beats(rr);
    return in;
}

// Pauses are intervals longer than 2 s; the report lists each one with its
// length and the time of its second beat.
TEST(PauseBoundary, OnlyIntervalsLongerThanTwoSecondsArePauses)
{
    const struct {
        double rrMs;
        bool pause;
    } cases[] = {{1990, false}, {2010, true}, {1500, false}, {2600, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rrMs);
        OReportControl control;
        const OReportInput input = WithInterval(c.rrMs);
        const double secondBeatS = input.beats[26].timeMs / 1000;
        const auto r = BuildHolterReport(input, control);
        ASSERT_TRUE(r);
        ASSERT_EQ(r->pauses.size(), c.pause ? 1u : 0u);
        if (c.pause) {
            // A beat may be placed on the sample grid (about 1 ms).
            EXPECT_NEAR(r->pauses[0].rrMs, c.rrMs, 1.5);
            EXPECT_NEAR(r->pauses[0].timeS, secondBeatS, 0.0015);
        }
    }
}

} // namespace
