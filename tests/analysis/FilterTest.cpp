// Baseline and matched filter, threshold and the judging of candidates.
#include "AnalysisFixtures.h"
#include "OEKGFilter.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class Filter : public testing::Test {
protected:
    void SetUp() override { UseFreshSettings(); }

    // A filter prepared from the stored parameters, detector attached.
    OEKGFilter& Prepared(bool detector = true)
    {
        impulses.assign(100, OImpulse{});
        filter->AttachImpulses(detector ? impulses.data() : nullptr, static_cast<int64_t>(impulses.size()));
        filter->Prepare();
        return *filter;
    }
    // Matched-filter values straight into the detector: zeros, with runs of
    // `height` of the given lengths starting at the given sample indices.
    void FeedRuns(std::initializer_list<std::pair<int, int>> runs, int total, double height = 100, double between = 0)
    {
        std::vector<double> z(static_cast<size_t>(total), between);
        for (auto [start, length] : runs)
            for (int i = start; i < start + length; ++i)
                z[static_cast<size_t>(i)] = height;
        for (double v : z)
            filter->Advance(v);
    }
    int64_t Count() const { return filter->ImpulseCount(); }

    TestDialogs dialogs;
    std::unique_ptr<OEKGFilter> filter = std::make_unique<OEKGFilter>();
    std::vector<OImpulse> impulses;
};

TEST_F(Filter, BaselineOfOneSampleHalfApertureSubtractsTheWindowMean)
{
    StoreParam("m_NA", 2); // 1 sample
    OEKGFilter& f = Prepared();
    std::vector<double> y;
    for (double x : {0.0, 0.0, 3.0, 0.0, 0.0}) {
        f.Process(x);
        y.push_back(f.Baseline());
    }
    EXPECT_EQ(y, (std::vector<double>{0, 0, -1, 2, -1}));
}

TEST_F(Filter, TriangularKernelOfHalfWidthTwo)
{
    StoreParam("m_NA", 2); // 1 sample
    StoreParam("m_NI", 3); // 2 samples
    OEKGFilter& f = Prepared();
    // A ramp starting after zeros: the baseline filter gives one y of 4.
    for (double x : {0.0, 0.0, 0.0})
        f.Process(x);
    std::vector<double> z;
    for (double x : {-12.0, -24.0, -36.0, -48.0, -60.0, -72.0, -84.0}) {
        f.Process(x);
        z.push_back(f.Output());
    }
    EXPECT_EQ(z, (std::vector<double>{1, 2, 3, 2, 1, 0, 0}));
    EXPECT_EQ(f.Delay(), -3);
}

TEST_F(Filter, ConstantInputKeepsTheThresholdAtItsFloorFromTheFirstSample)
{
    OEKGFilter& f = Prepared();
    for (int i = 0; i < 5000; ++i) {
        f.Process(5000);
        ASSERT_EQ(f.Output(), 0.0) << i;
        ASSERT_EQ(f.Threshold(), 3.0) << i;
    }
    EXPECT_EQ(Count(), 0);
}

TEST_F(Filter, RunOfTwoIsNoCandidateRunOfThreeIs)
{
    Prepared();
    FeedRuns({{100, 2}}, 400);
    EXPECT_EQ(Count(), 0);
    Prepared();
    FeedRuns({{100, 3}}, 400);
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(+impulses[0].Pos, 100);
    EXPECT_EQ(+impulses[0].Peak, 100.0);
    EXPECT_EQ(impulses[0].Flags, 0);
}

TEST_F(Filter, CandidatesAreJudgedByWidthAndDistance)
{
    const struct {
        const char* what;
        int secondStart, secondLength;
        int64_t count;
        uint8_t firstFlags, secondFlags;
        double secondDefect;
    } cases[] = {
        {"too wide", 1000, 178, 1, 1, 0, 0}, // 6·29 + 3 = 177 is the widest R-wave
        {"widest", 1000, 177, 2, 0, 0, 0},
        {"too soon", 300, 3, 1, 1, 0, 0},     // 200 apart, the shortest interval is 266
        {"too late", 1565, 3, 2, 1, 1, 20.0}, // 1465 apart, the longest interval is 1464
        {"longest", 1564, 3, 2, 0, 0, 0},
    };
    for (const auto& c : cases) {
        Prepared();
        FeedRuns({{100, 3}, {c.secondStart, c.secondLength}}, 4000);
        ASSERT_EQ(Count(), c.count) << c.what;
        EXPECT_EQ(impulses[0].Flags, c.firstFlags) << c.what;
        if (c.count == 2) {
            EXPECT_EQ(+impulses[1].Pos, c.secondStart) << c.what;
            EXPECT_EQ(impulses[1].Flags, c.secondFlags) << c.what;
            EXPECT_EQ(+impulses[1].Defect, c.secondDefect) << c.what;
        }
    }
}

TEST_F(Filter, DefectiveMiddleImpulseMarksTheTriple)
{
    StoreParam("m_NI", 3); // 2 samples: guard of 4 around each peak
    Prepared();
    // Between the peaks the filtered signal stays at -40: rms / peak · 20 = 8.
    FeedRuns({{100, 3}, {900, 3}, {1700, 3}}, 2000, 100, -40);
    ASSERT_EQ(Count(), 3);
    EXPECT_NEAR(+impulses[1].Defect, 8.0, 1e-9);
    EXPECT_EQ(impulses[0].Flags, kImpulseNeighbour);
    EXPECT_EQ(impulses[1].Flags, kImpulseDefective);
    EXPECT_EQ(impulses[2].Flags, kImpulseNeighbour);

    filter->Finish(); // edge bits are added to what is there
    EXPECT_EQ(impulses[0].Flags, kImpulseNeighbour | kImpulseEdge);
    EXPECT_EQ(impulses[2].Flags, kImpulseNeighbour | kImpulseEdge);
}

TEST_F(Filter, DefectIgnoresSamplesThatLeftTheOutputLine)
{
    Prepared();
    // Two-sample blips (no candidates, but they move the previous index)
    // keep the third impulse "in time" long after the second one, until the
    // samples around the second one have left the 65536-sample line.
    std::vector<std::pair<int, int>> runs = {{100, 3}, {900, 3}};
    int at = 1900;
    for (; at < 900 + 70000; at += 1000)
        runs.push_back({at, 2});
    const int last = at;
    std::vector<double> z(static_cast<size_t>(last + 200), -40);
    for (auto [start, length] : runs)
        for (int i = start; i < start + length; ++i)
            z[static_cast<size_t>(i)] = 100;
    for (int i = last; i < last + 3; ++i)
        z[static_cast<size_t>(i)] = 100;
    for (double v : z)
        filter->Advance(v);
    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(+impulses[2].Pos, last);
    // Nothing of what lay between the first two is left to measure: no
    // defect, rather than one made of unrelated samples read back wrapped.
    EXPECT_EQ(+impulses[1].Defect, 0.0);
    EXPECT_EQ(impulses[1].Flags, 0);
}

TEST_F(Filter, FinishMarksEdgesOnceAndMovesToRawPositions)
{
    Prepared();
    FeedRuns({{500, 3}}, 800);
    filter->Finish();
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(impulses[0].Flags, kImpulseEdge); // first and last at once: 4, not 8
    EXPECT_EQ(+impulses[0].Pos, 500 - (245 + 29));
}

TEST_F(Filter, FullImpulseArrayStopsStoringButFilteringGoesOn)
{
    impulses.assign(2, OImpulse{});
    filter->AttachImpulses(impulses.data(), 2);
    filter->Prepare();
    FeedRuns({{100, 3}, {900, 3}, {1700, 3}, {2500, 3}}, 3000);
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(filter->SamplesProcessed(), 3000);
}

TEST_F(Filter, WithoutImpulseArrayTheDetectorDoesNotRun)
{
    OEKGFilter& f = Prepared(false);
    for (int i = 0; i < 1000; ++i)
        f.Process(i % 300 == 0 ? 9000 : 5000);
    EXPECT_EQ(f.Threshold(), 0.0);
    EXPECT_EQ(Count(), 0);
    EXPECT_NE(f.Output(), 0.0);
}

} // namespace
