#pragma once
// What painting draws for one line, computed from the series without any
// drawing library: value-to-pixel mapping with clamping, the per-column
// reduction of function and point lines, markers and spread band quads.
#include <vector>

class OGrLine;
struct GrPointOrder;

struct GrSegment {
    int x1, y1, x2, y2;
};
struct GrPixel {
    int x, y;
};
// (x1, y1 - d1), (x1, y1 + d1), (x2, y2 + d2), (x2, y2 - d2)
struct GrBandQuad {
    int x1, y1, d1, x2, y2, d2;
};

// Maps values of the visible windows to pixels of a plot rectangle. bottom is
// the last pixel row. Values are clamped first so that every coordinate stays
// small and off-plot segments keep their direction: x to 32000 columns either
// side, y to the window widened by 30 rows' worth.
class GrMapping {
public:
    GrMapping(double xLo, double xHi, int left, int right, double yLo, double yHi, int top, int bottom);
    // False when a window or the rectangle is empty: nothing can be placed.
    bool Usable() const { return m_Usable; }
    // Inline: these run for every point of every point line on each paint.
    int X(double v) const
    {
        // The clamp keeps the product within int range; the cast truncates.
        return m_Left + static_cast<int>((Clamp(v, m_XMin, m_XMax) - m_XLo) * m_PixelsPerX);
    }
    int Y(double v) const { return m_Bottom - static_cast<int>((Clamp(v, m_YMin, m_YMax) - m_YLo) * m_YRowsPerValue); }
    // Half height in rows of a spread s, within 1..10000.
    int SpreadRows(double s) const;
    int Left() const { return m_Left; }
    double XLo() const { return m_XLo; }
    double XPerPixel() const { return m_XPerPixel; }
    int Right() const { return m_Right; }
    // Value of the left edge of pixel column c (absolute column).
    double ColumnValue(int c) const { return m_XLo + (c - m_Left) * m_XPerPixel; }

private:
    // Missing values (NaN included) clamp to the high end like +1e100 does.
    // Written as min/max: a branch per coordinate mispredicts on noisy data.
    static double Clamp(double v, double lo, double hi)
    {
        if (v >= lo)
            return v > hi ? hi : v;
        return v < lo ? lo : hi;
    }

    bool m_Usable;
    double m_XLo, m_XPerPixel, m_PixelsPerX, m_XMin, m_XMax;
    double m_YLo, m_YRowsPerValue, m_YMin, m_YMax;
    int m_Left, m_Right, m_Bottom, m_Height;
};

// A polyline whose points falling into one pixel column are merged into one
// vertical stroke from the column's lowest to its highest row, so a line costs
// at most about two segments per column however dense its data.
class GrColumnPath {
public:
    explicit GrColumnPath(std::vector<GrSegment>* out) : m_Out(out) {}
    bool Active() const { return m_Active; }
    // Ends the current polyline and begins a new one at (x, y).
    void Start(int x, int y);
    // Moves the polyline's end to (x, y) without drawing anything: for a
    // point whose segment from the current end cannot be seen.
    void MoveTo(int x, int y)
    {
        m_Col = x;
        m_Min = m_Max = m_Last = y;
    }
    int Column() const { return m_Col; }
    // Joins (x, y) to the polyline.
    void LineTo(int x, int y)
    {
        if (m_Active && x == m_Col) {
            m_Min = y < m_Min ? y : m_Min;
            m_Max = y > m_Max ? y : m_Max;
            m_Last = y;
            return;
        }
        NewColumn(x, y);
    }
    // Extends the current column's vertical extent by rows [yTop, yBottom].
    void Widen(int yTop, int yBottom);
    // Draws the current column's stroke and ends the polyline.
    void Flush();

private:
    void NewColumn(int x, int y);

    std::vector<GrSegment>* m_Out;
    bool m_Active = false;
    int m_Col = 0, m_Min = 0, m_Max = 0, m_Last = 0;
};

struct GrLineShapes {
    std::vector<GrSegment> segments;
    std::vector<GrPixel> markers;
    std::vector<GrBandQuad> band;
    void Clear()
    {
        segments.clear();
        markers.clear();
        band.clear();
    }
};

// A function walked across the plot in eighths of a pixel.
void GrFunctionShapes(OGrLine* line, const GrMapping& map, GrLineShapes* out);
// A point line: markers, polylines split by the break flags. With the
// line's order known, only the points near the X window are read.
void GrPointShapes(OGrLine* line, const GrMapping& map, GrLineShapes* out, const GrPointOrder* order = nullptr);
// The pale band of a line with spread (not split by break flags).
void GrBandShapes(OGrLine* line, const GrMapping& map, GrLineShapes* out);
