#pragma once
// The sweeping trace of the live view. Each frame is drawn over the previous
// one without clearing the window: the points are reduced to one vertical span
// per pixel column, and the old frame's columns are erased just ahead of the
// new trace by redrawing them with the erase pen.
#include "OLiveCanvas.h"

#include <array>
#include <cstdint>

struct LiveColumn {
    int32_t Column; // x of the pixel column
    int32_t First;  // y of the first point in the column
    int32_t Min;
    int32_t Max;
    int32_t Last; // y of the last point
};

class OLiveChart {
public:
    // One column per stored sample at most, so even a window wider than the
    // sample ring keeps every column it drew and can erase it.
    static constexpr int kMaxColumns = 2928;

    OLiveChart();
    OLiveChart(const OLiveChart&) = delete;
    OLiveChart& operator=(const OLiveChart&) = delete;

    // The canvas of the next frame; must be set before Begin.
    void SetCanvas(OLiveCanvas* canvas) { m_Canvas = canvas; }
    void Begin(int x, int y);
    void Point(int x, int y);
    void End();
    // Erases old columns up to and including the first one right of limit.
    void EraseUpTo(int limit);

    // The columns the last finished frame drew.
    int DrawnCount() const { return m_OldCount; }
    const LiveColumn& Drawn(int i) const { return m_OldList[i]; }

private:
    void DrawCurrentColumn();

    OLiveCanvas* m_Canvas = nullptr;
    LiveColumn m_Previous{};
    LiveColumn m_Current{};
    int m_CurrentCount = 0;
    LiveColumn* m_CurrentList = nullptr;
    int m_OldCount = 0;
    LiveColumn* m_OldList = nullptr;
    int m_ErasePos = 0;
    std::array<LiveColumn, kMaxColumns> m_ListA{};
    std::array<LiveColumn, kMaxColumns> m_ListB{};
};

// Draws the ring of samples, oldest first (at writePos), across a client area
// of width x height, scaled so the largest sample lands on chartTop - 1 and the
// smallest on height - 1. When all samples are equal there is no scale: the
// trace is a flat line in the middle of that band.
void DrawLiveTrace(OLiveChart& chart, OLiveCanvas& canvas, const uint16_t* samples, int sampleCount, int writePos,
                   int width, int height, int chartTop);
