#pragma once
// Where the sweeping trace is drawn: a pen position, lines and two pens. Lines
// follow the classic rule of leaving out their end point, so that a polyline
// touches every pixel once and redrawing the same moves with the erase pen
// removes exactly what was drawn.
#include <cstdint>

enum class LivePen { Trace, Erase };

class OLiveCanvas {
public:
    virtual ~OLiveCanvas() = default;
    virtual void MoveTo(int x, int y) = 0;
    // Draws from the pen position to (x, y) without (x, y) itself; the pen
    // position becomes (x, y).
    virtual void LineTo(int x, int y) = 0;
    // Selects a pen and returns the one selected before.
    virtual LivePen SelectPen(LivePen pen) = 0;
};

// A canvas over 32-bit pixels (0xAARRGGBB, rows stride words apart), such as
// the bits of a QImage of format RGB32. Pixels outside the area are skipped.
class OPixelCanvas : public OLiveCanvas {
public:
    OPixelCanvas(uint32_t* pixels, int width, int height, int strideWords, uint32_t traceColour, uint32_t eraseColour);
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    LivePen SelectPen(LivePen pen) override;

private:
    void Plot(int x, int y)
    {
        if (x >= 0 && y >= 0 && x < m_Width && y < m_Height)
            m_Pixels[static_cast<long>(y) * m_Stride + x] = m_Colour;
    }

    uint32_t* m_Pixels;
    int m_Width, m_Height, m_Stride;
    uint32_t m_TraceColour, m_EraseColour, m_Colour;
    LivePen m_Pen = LivePen::Trace;
    int m_X = 0, m_Y = 0;
};
