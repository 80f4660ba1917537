#include "OLiveCanvas.h"

#include <cstdlib>

OPixelCanvas::OPixelCanvas(uint32_t* pixels, int width, int height, int strideWords, uint32_t traceColour,
                           uint32_t eraseColour)
    : m_Pixels(pixels), m_Width(width), m_Height(height), m_Stride(strideWords), m_TraceColour(traceColour),
      m_EraseColour(eraseColour), m_Colour(traceColour)
{
}

void OPixelCanvas::MoveTo(int x, int y)
{
    m_X = x;
    m_Y = y;
}

void OPixelCanvas::LineTo(int x, int y)
{
    // Bresenham from the pen position, stopping one pixel short of (x, y).
    const int dx = std::abs(x - m_X), sx = m_X < x ? 1 : -1;
    const int dy = -std::abs(y - m_Y), sy = m_Y < y ? 1 : -1;
    int err = dx + dy;
    int px = m_X, py = m_Y;
    while (px != x || py != y) {
        Plot(px, py);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            px += sx;
        }
        if (e2 <= dx) {
            err += dx;
            py += sy;
        }
    }
    m_X = x;
    m_Y = y;
}

LivePen OPixelCanvas::SelectPen(LivePen pen)
{
    const LivePen previous = m_Pen;
    m_Pen = pen;
    m_Colour = pen == LivePen::Trace ? m_TraceColour : m_EraseColour;
    return previous;
}
