// The shapes painting draws: column reduction, break flags, bands, clamping
// and the fast envelope of long sample arrays.
#include "FakeGrList.h"
#include "GrShapes.h"
#include "GrSpans.h"
#include "OGrEnvelope.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// x and y windows [0, 100] over a 100 x 101 pixel plot: one unit per pixel,
// y = 100 - value.
GrMapping UnitMap()
{
    return GrMapping(0, 100, 0, 100, 0, 100, 0, 100);
}

TEST(GrShapes, PointsInOneColumnMergeIntoOneStroke)
{
    auto line = FakeLine::Points({{10, 10}, {10.2, 50}, {10.4, 30}, {20, 30}});
    GrLineShapes s;
    GrPointShapes(line.get(), UnitMap(), &s);
    ASSERT_EQ(s.segments.size(), 2u);
    EXPECT_EQ(s.segments[0].x1, 10);
    EXPECT_EQ(s.segments[0].y1, 50);
    EXPECT_EQ(s.segments[0].y2, 90);
    EXPECT_EQ(s.segments[1].y1, 70); // from the column's last point
    EXPECT_EQ(s.segments[1].x2, 20);
    EXPECT_EQ(s.markers.size(), 4u);
}

TEST(GrShapes, BreakFlagsSplitPolylines)
{
    // 0x42: new polyline, no marker. 0xC6: alone, unconnected both sides.
    auto line = FakeLine::Points(
        {{10, 10}, {20, 20}, {30, 30, 0x42}, {40, 40}, {50, 50, 0xC6}, {60, 60}, {70, 70, 0x01}, {80, 80}});
    GrLineShapes s;
    GrPointShapes(line.get(), UnitMap(), &s);
    std::vector<std::pair<int, int>> joined;
    for (const GrSegment& g : s.segments)
        joined.push_back({g.x1, g.x2});
    EXPECT_EQ(joined, (std::vector<std::pair<int, int>>{{10, 20}, {30, 40}, {60, 80}}));
    EXPECT_EQ(s.markers.size(), 5u);
}

TEST(GrShapes, FunctionSamplesEightTimesPerColumnWithinItsExtent)
{
    auto line = FakeLine::Function(25, 75, [](double x) { return x; });
    GrLineShapes s;
    GrFunctionShapes(line.get(), UnitMap(), &s);
    EXPECT_EQ(line->valueCalls, 50 * 8 + 1);
    EXPECT_EQ(s.segments.front().x1, 25);
    EXPECT_EQ(s.segments.back().x2, 75);
}

TEST(GrShapes, MissingValuesClampJustAboveThePlot)
{
    GrMapping map = UnitMap();
    EXPECT_EQ(map.Y(1e200), -30);
    EXPECT_EQ(map.Y(-1e200), 130);
    EXPECT_EQ(map.Y(std::nan("")), -30);
    EXPECT_EQ(map.X(1e200), 32000);
    EXPECT_EQ(map.X(-1e300), -32000);
    EXPECT_FALSE(GrMapping(0, 100, 0, 100, 1e100, -1e100, 0, 100).Usable());
}

TEST(GrShapes, BandJoinsEveryPresentPointWithClampedHalfHeights)
{
    auto line = FakeLine::Points({{10, 50, 0, 0.01}, {20, 50, 0x06, 5}, {30, 50, 0x01, 5}, {40, 50, 0, 1e9}}, true);
    GrLineShapes s;
    GrBandShapes(line.get(), UnitMap(), &s);
    ASSERT_EQ(s.band.size(), 2u);
    EXPECT_EQ(s.band[0].d1, 1);
    EXPECT_EQ(s.band[0].d2, 5);
    EXPECT_EQ(s.band[1].x1, 20);
    EXPECT_EQ(s.band[1].x2, 40);
    EXPECT_EQ(s.band[1].d2, 10000);
}

// A function over a sample array that offers the fast envelope.
class SampledLine : public FakeLine {
public:
    explicit SampledLine(std::vector<double> v) : samples(std::move(v))
    {
        function = [this](double x) { return samples[static_cast<size_t>(x)]; };
        xLo = 0;
        xHi = static_cast<double>(samples.size() - 1);
        envelope.Build(static_cast<int64_t>(samples.size()), [this](int64_t i) { return samples[i]; });
    }
    int GetValueRange(double x0, double x1, double* lo, double* hi) override
    {
        return envelope.Range(
            static_cast<int64_t>(std::ceil(x0)), static_cast<int64_t>(std::ceil(x1)),
            [this](int64_t i) { return samples[i]; }, lo, hi);
    }
    std::vector<double> samples;
    OGrEnvelope envelope;
};

TEST(GrShapes, EnvelopeShowsAPeakBetweenSamples)
{
    std::vector<double> v(100000, 10.0);
    v[50003] = 90; // between the eight samples of its column
    SampledLine line(v);
    GrLineShapes s;
    GrFunctionShapes(&line, GrMapping(0, 100000, 0, 100, 0, 100, 0, 100), &s);
    int top = 100;
    for (const GrSegment& g : s.segments)
        top = std::min({top, g.y1, g.y2});
    EXPECT_EQ(top, 10);
}

TEST(GrSpans, SpansBecomeClippedColumnRangesSameTintsMerge)
{
    struct Case {
        const char* name;
        std::vector<GrSpan> spans;
        std::vector<std::vector<int>> rects; // x1, x2, rgb, strong
    };
    const std::vector<Case> cases = {
        {"inside", {{10.2, 20.7, 1, false}}, {{10, 20, 1, 0}}},
        {"narrower than a pixel", {{30.1, 30.3, 1, false}}, {{30, 30, 1, 0}}},
        {"right of the window", {{150, 160, 1, false}}, {}},
        {"left of the window", {{-20, -5, 1, false}}, {}},
        {"across the left edge", {{-5, 5, 1, false}}, {{0, 5, 1, 0}}},
        {"across the right edge", {{95, 130, 1, false}}, {{95, 99, 1, 0}}},
        {"touching, same tint", {{40, 45, 1, false}, {46, 50, 1, false}}, {{40, 50, 1, 0}}},
        {"a column apart", {{40, 45, 1, false}, {47, 50, 1, false}}, {{40, 45, 1, 0}, {47, 50, 1, 0}}},
        {"touching, other tint", {{60, 65, 1, false}, {66, 70, 2, false}}, {{60, 65, 1, 0}, {66, 70, 2, 0}}},
        {"the chosen one apart", {{60, 65, 1, false}, {66, 70, 1, true}}, {{60, 65, 1, 0}, {66, 70, 1, 1}}},
    };
    for (const Case& c : cases) {
        FakeGrList list;
        const int g = list.AddGraph();
        list.graphs[g].spans = c.spans;
        std::vector<GrSpanRect> rects;
        GrSpanShapes(&list, g, UnitMap(), &rects);
        std::vector<std::vector<int>> got;
        for (const GrSpanRect& r : rects)
            got.push_back({r.x1, r.x2, static_cast<int>(r.rgb), r.strong ? 1 : 0});
        EXPECT_EQ(got, c.rects) << c.name;
    }
}

TEST(GrSpans, ThousandsOfShortSpansAtADaysZoomFewRects)
{
    // A day over 100 columns; an event every 10 s for 2 s.
    FakeGrList list;
    const int g = list.AddGraph();
    for (int i = 0; i < 8640; ++i)
        list.graphs[g].spans.push_back({i * 10.0, i * 10.0 + 2, 0xFF8000, false});
    std::vector<GrSpanRect> rects;
    GrSpanShapes(&list, g, GrMapping(0, 86400, 0, 100, 0, 100, 0, 100), &rects);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].x1, 0);
    EXPECT_EQ(rects[0].x2, 99);
}

TEST(GrEnvelope, RangeMatchesAPlainScan)
{
    // Fractions need double precision; whole numbers are kept in single. An
    // envelope built from block extremes kept elsewhere answers the same.
    for (const bool whole : {false, true})
        for (const bool fromBlocks : {false, true}) {
            std::mt19937 rng(7);
            std::vector<double> v(300000);
            for (double& x : v) {
                x = std::uniform_real_distribution<double>(-1000, 1000)(rng);
                if (whole)
                    x = std::round(x * 30);
            }
            v[123456] = 1e200; // missing, never counts
            std::fill(v.begin() + 200000, v.begin() + 240000, 1e200);
            OGrEnvelope e;
            auto sample = [&](int64_t i) { return v[i]; };
            std::vector<std::pair<double, double>> blocks;
            for (size_t i = 0; i < v.size(); i += OGrEnvelope::kFanOut) {
                std::pair<double, double> b{1e100, -1e100};
                for (size_t j = i; j < std::min(v.size(), i + OGrEnvelope::kFanOut); ++j)
                    if (v[j] < 1e100)
                        b = {std::min(b.first, v[j]), std::max(b.second, v[j])};
                blocks.push_back(b);
            }
            if (fromBlocks)
                e.BuildFromBlocks(static_cast<int64_t>(v.size()), [&blocks](int64_t b, double* lo, double* hi) {
                    const auto& [l, h] = blocks[static_cast<size_t>(b)];
                    if (l <= h)
                        *lo = std::min(*lo, l), *hi = std::max(*hi, h);
                });
            else
                e.Build(static_cast<int64_t>(v.size()), sample);
            for (int k = 0; k < 300; ++k) {
                int64_t a = std::uniform_int_distribution<int64_t>(-10, 300010)(rng);
                int64_t b = std::uniform_int_distribution<int64_t>(-10, 300010)(rng);
                if (k == 0)
                    a = 123456, b = 123457;
                if (k == 1)
                    a = 199000, b = 241000;
                if (k == 2)
                    a = 201000, b = 239000; // nothing valid
                double lo, hi, wantLo = 1e100, wantHi = -1e100;
                for (int64_t i = std::max<int64_t>(a, 0); i < std::min<int64_t>(b, v.size()); ++i)
                    if (v[i] < 1e100)
                        wantLo = std::min(wantLo, v[i]), wantHi = std::max(wantHi, v[i]);
                const bool any = e.Range(a, b, sample, &lo, &hi);
                ASSERT_EQ(any, wantLo <= wantHi) << a << " " << b;
                if (any) {
                    ASSERT_EQ(lo, wantLo) << a << " " << b << " whole " << whole << " blocks " << fromBlocks;
                    ASSERT_EQ(hi, wantHi) << a << " " << b << " whole " << whole << " blocks " << fromBlocks;
                }
            }
        }
}

} // namespace
