#include "OLiveChart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kSamples = 2928;
constexpr uint32_t kBackground = 0xFFEEEEEE;
constexpr uint32_t kInk = 0xFF000000;

struct Screen {
    int width, height;
    std::vector<uint32_t> pixels;
    OPixelCanvas canvas;
    Screen(int w, int h)
        : width(w), height(h), pixels(size_t(w) * h, kBackground), canvas(pixels.data(), w, h, w, kInk, kBackground)
    {
    }
    int Inked() const
    {
        int n = 0;
        for (uint32_t p : pixels)
            n += p == kInk;
        return n;
    }
};

std::vector<uint16_t> Wave(double phase, double amplitude)
{
    std::vector<uint16_t> ring(kSamples);
    for (int i = 0; i < kSamples; ++i)
        ring[i] = uint16_t(30000 + amplitude * std::sin(i * 0.013 + phase) + (i % 97 == 0 ? 9000 : 0));
    return ring;
}

} // namespace

// Each frame is drawn over the last without clearing: after the sweep the
// screen must look exactly as if only the new frame had ever been drawn.
TEST(LiveChart, SweepLeavesExactlyTheNewFrameAtAnyWidth)
{
    for (int width : {300, 1280, 2928, 4100}) {
        SCOPED_TRACE(width);
        const int height = 400, chartTop = 120;
        Screen swept(width, height), fresh(width, height);
        OLiveChart sweep, once;
        DrawLiveTrace(sweep, swept.canvas, Wave(0, 8000).data(), kSamples, 0, width, height, chartTop);
        DrawLiveTrace(sweep, swept.canvas, Wave(1.7, 3000).data(), kSamples, 1234, width, height, chartTop);
        DrawLiveTrace(sweep, swept.canvas, Wave(4.0, 12000).data(), kSamples, 2000, width, height, chartTop);
        DrawLiveTrace(once, fresh.canvas, Wave(4.0, 12000).data(), kSamples, 2000, width, height, chartTop);
        EXPECT_GT(fresh.Inked(), width);
        EXPECT_TRUE(swept.pixels == fresh.pixels) << "stale or missing pixels after the sweep";
    }
}

// A narrow window reduces several samples to one span per column; a wide one
// leaves gaps between the columns, each column still remembered for erasing.
TEST(LiveChart, OneColumnRecordPerPixelColumnUsed)
{
    for (int width : {500, 4100}) {
        SCOPED_TRACE(width);
        Screen screen(width, 300);
        OLiveChart chart;
        DrawLiveTrace(chart, screen.canvas, Wave(0, 8000).data(), kSamples, 0, width, 300, 100);
        const int expected = std::min(width, kSamples);
        ASSERT_EQ(chart.DrawnCount(), expected);
        for (int i = 0; i < expected; ++i) {
            const int column = width < kSamples ? i : int(int64_t(width) * i / kSamples);
            ASSERT_EQ(chart.Drawn(i).Column, column);
        }
        for (int i = 0; i < expected; ++i) {
            const LiveColumn& c = chart.Drawn(i);
            ASSERT_LE(c.Min, c.First);
            ASSERT_LE(c.First, c.Max);
            ASSERT_LE(c.Min, c.Last);
            ASSERT_LE(c.Last, c.Max);
        }
    }
}

// The largest sample is drawn on the line just above the chart's top mark and
// the smallest on the window's last row.
TEST(LiveChart, ScaleFillsTheBandBelowTheMark)
{
    std::vector<uint16_t> ring(kSamples, 500);
    ring[100] = 65535;
    ring[2000] = 0;
    Screen screen(kSamples, 300);
    OLiveChart chart;
    DrawLiveTrace(chart, screen.canvas, ring.data(), kSamples, 0, kSamples, 300, 100);
    EXPECT_EQ(chart.Drawn(100).Min, 99);
    EXPECT_EQ(chart.Drawn(2000).Max, 299);
    EXPECT_EQ(chart.Drawn(5).First, int(299 - 500.0 * 200 / 65535));
}

// All samples equal (the zeroed ring before the first packet) leave no scale:
// a flat line in the middle of the band, and the old frame is still erased.
TEST(LiveChart, EqualSamplesDrawAFlatMiddleLine)
{
    Screen screen(800, 300);
    OLiveChart chart;
    DrawLiveTrace(chart, screen.canvas, Wave(0, 8000).data(), kSamples, 0, 800, 300, 100);
    const std::vector<uint16_t> zeros(kSamples, 0);
    DrawLiveTrace(chart, screen.canvas, zeros.data(), kSamples, 0, 800, 300, 100);
    for (int i = 0; i < chart.DrawnCount(); ++i) {
        ASSERT_EQ(chart.Drawn(i).Min, 199);
        ASSERT_EQ(chart.Drawn(i).Max, 199);
    }
    EXPECT_EQ(screen.Inked(), 800);
}
