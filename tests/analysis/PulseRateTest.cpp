// The pulse-rate curve from a list of impulses.
#include "AnalysisFixtures.h"
#include "OEKGFilter.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class PulseRate : public testing::Test {
protected:
    void SetUp() override
    {
        UseFreshSettings();
        StoreParam("m_PulseUsred", 1); // W = 976 samples
        filter->Prepare();
    }
    // Impulses every `step` samples, first and last marked as the pass does.
    std::vector<OImpulse> Beats(int count, int step)
    {
        std::vector<OImpulse> beats;
        for (int i = 0; i < count; ++i)
            beats.push_back({i * step, 0, 500.0, 1.0});
        beats.front().Flags = beats.back().Flags = kImpulseEdge;
        return beats;
    }
    std::vector<OPoint> Curve(const std::vector<OImpulse>& beats, int64_t capacity = 1000)
    {
        std::vector<OPoint> out(static_cast<size_t>(capacity));
        out.resize(static_cast<size_t>(
            filter->PulseRate(out.data(), capacity, beats.data(), static_cast<int64_t>(beats.size()))));
        return out;
    }

    TestDialogs dialogs;
    std::unique_ptr<OEKGFilter> filter = std::make_unique<OEKGFilter>();
};

TEST_F(PulseRate, CleanRunGivesTheMeanRateAndEdgesStartNoWindow)
{
    const auto curve = Curve(Beats(20, 500));
    ASSERT_FALSE(curve.empty());
    // Two intervals of 500 samples span more than W: 2 / (1000 · 1.024 ms) · 60.
    EXPECT_DOUBLE_EQ(curve[0].y, 2 / (1000 * 0.001024) * 60);
    EXPECT_EQ(curve[0].x, 1000); // impulse 1 follows the edge impulse 0: the first window starts at 2
    EXPECT_EQ(curve[1].x, (1500 + 2500) / 2.0);
    // The run ends before the last (edge) impulse: held value, then 0.
    EXPECT_EQ(curve.back().y, 0.0);
    EXPECT_EQ(curve[curve.size() - 2].y, curve[curve.size() - 3].y);
}

TEST_F(PulseRate, ShortGapIsClosedLongGapStays)
{
    auto shortGap = Beats(40, 500);
    shortGap[20].Flags = kImpulseDoubtful;
    const auto closed = Curve(shortGap);
    for (size_t i = 0; i + 1 < closed.size(); ++i) // only the final drop stays
        EXPECT_GT(closed[i].y, 0.0) << i;

    auto longGap = Beats(40, 500);
    for (int i = 15; i < 25; ++i) // 5000 samples > 3·W
        longGap[i].Flags = kImpulseDoubtful;
    const auto open = Curve(longGap);
    int zeros = 0;
    for (size_t i = 0; i + 1 < open.size(); ++i)
        zeros += open[i].y == 0.0;
    EXPECT_EQ(zeros, 1);
}

TEST_F(PulseRate, PointsAreBoundedByTheCapacity)
{
    auto beats = Beats(200, 500);
    for (size_t i = 5; i < beats.size(); i += 6) // many short runs
        beats[i].Flags = kImpulseDoubtful;
    const auto all = Curve(beats);
    ASSERT_GT(all.size(), 10u);
    EXPECT_EQ(Curve(beats, 10).size(), 10u);
    EXPECT_TRUE(Curve(beats, 0).empty());
}

} // namespace
