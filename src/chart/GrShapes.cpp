#include "GrShapes.h"

#include "GrDefs.h"
#include "GrPointCursor.h"
#include "GrRanges.h"
#include "OGrLine.h"

#include <algorithm>
#include <climits>
#include <cmath>


GrMapping::GrMapping(double xLo, double xHi, int left, int right, double yLo, double yHi, int top, int bottom)
    : m_XLo(xLo), m_YLo(yLo), m_Left(left), m_Right(right), m_Bottom(bottom), m_Height(bottom - top)
{
    m_Usable = GrValidRange(xLo, xHi) && GrValidRange(yLo, yHi) && xHi > xLo && yHi > yLo && right > left &&
               bottom > top;
    if (!m_Usable) {
        m_XPerPixel = m_PixelsPerX = m_XMin = m_XMax = m_YRowsPerValue = m_YMin = m_YMax = 0;
        return;
    }
    m_XPerPixel = (xHi - xLo) / (right - left);
    m_PixelsPerX = (right - left) / (xHi - xLo);
    m_XMin = xLo - 32000 * m_XPerPixel;
    m_XMax = xLo + 32000 * m_XPerPixel;
    const double valuePerRow = (yHi - yLo) / m_Height;
    m_YRowsPerValue = m_Height / (yHi - yLo);
    m_YMin = yLo - 30 * valuePerRow;
    m_YMax = yHi + 30 * valuePerRow;
}

int GrMapping::SpreadRows(double s) const
{
    const double rows = std::trunc(s * m_YRowsPerValue);
    if (!(rows >= 1))
        return 1;
    return rows > 10000 ? 10000 : static_cast<int>(rows);
}

void GrColumnPath::Start(int x, int y)
{
    Flush();
    m_Active = true;
    m_Col = x;
    m_Min = m_Max = m_Last = y;
}

void GrColumnPath::NewColumn(int x, int y)
{
    if (!m_Active) {
        Start(x, y);
        return;
    }
    if (m_Min != m_Max)
        m_Out->push_back({m_Col, m_Min, m_Col, m_Max});
    m_Out->push_back({m_Col, m_Last, x, y});
    m_Col = x;
    m_Min = m_Max = m_Last = y;
}

void GrColumnPath::Widen(int yTop, int yBottom)
{
    if (!m_Active)
        return;
    m_Min = std::min(m_Min, yTop);
    m_Max = std::max(m_Max, yBottom);
}

void GrColumnPath::Flush()
{
    if (m_Active && m_Min != m_Max)
        m_Out->push_back({m_Col, m_Min, m_Col, m_Max});
    m_Active = false;
}

void GrFunctionShapes(OGrLine* line, const GrMapping& map, GrLineShapes* out)
{
    if (!map.Usable())
        return;
    double xl = kGrNone, xh = -kGrNone;
    line->GetXRange(&xl, &xh);
    GrColumnPath path(&out->segments);
    const int steps = (map.Right() - map.Left()) * 8;
    const double x0 = map.ColumnValue(map.Left());
    const double perStep = (map.ColumnValue(map.Left() + 1) - x0) / 8;
    int envelopeColumn = map.Left() - 1;
    bool envelope = true;
    for (int j = 0; j < steps; ++j) {
        const double x = x0 + j * perStep;
        if (x < xl)
            continue;
        if (x > xh)
            break;
        const int col = map.Left() + j / 8;
        path.LineTo(col, map.Y(line->GetValue(&x)));
        if (envelope && col != envelopeColumn) {
            // The series may know its extremes between our samples.
            envelopeColumn = col;
            double lo = kGrNone, hi = -kGrNone;
            const double to = std::min(map.ColumnValue(col + 1), xh);
            const int answer = line->GetValueRange(x, to, &lo, &hi);
            if (answer < 0)
                envelope = false;
            else if (answer > 0 && GrValidRange(lo, hi))
                path.Widen(map.Y(hi), map.Y(lo));
        }
    }
    path.Flush();
}

namespace {

// Which side of the plot a column lies on as far as a 2-pixel stroke goes:
// -1 and 1 where nothing drawn at that column can reach the plot, 0 else.
class ColumnSide {
public:
    explicit ColumnSide(const GrMapping& map) : m_Left(map.Left() - 1), m_Right(map.Right()) {}
    int operator()(int x) const { return x < m_Left ? -1 : x >= m_Right ? 1 : 0; }

private:
    int m_Left, m_Right;
};

} // namespace

void GrPointShapes(OGrLine* line, const GrMapping& map, GrLineShapes* out, const GrPointOrder* order)
{
    if (!map.Usable())
        return;
    // Points more than a few pixels off the plot show nothing but the step
    // from the last of them on either side; those two are read as well.
    const double slack = 16 * map.XPerPixel();
    int from = 0, to = 0;
    GrPointsWithin(line, order, map.XLo() - slack, map.XLo() + (map.Right() - map.Left()) * map.XPerPixel() + slack,
                   &from, &to);
    from = std::max(from - 1, 0);
    to = std::min(to + 1, line->GetPointCount());
    GrColumnPath path(&out->segments);
    const ColumnSide side(map);
    // A marker's pixels lie within 4 pixels of its centre; markers farther
    // off the plot are not collected.
    const int markerLeft = map.Left() - 8, markerRight = map.Right() + 8;
    GrPixel lastMarker{INT_MIN, INT_MIN};
    GrPointCursor points(line, from, to);
    int i, flags;
    double xv, yv;
    while (points.Next(&i, &xv, &yv, &flags)) {
        if (flags & kGrPtAbsent)
            continue;
        const int x = map.X(xv);
        const int y = map.Y(yv);
        if (!(flags & kGrPtNoMarker) && x >= markerLeft && x <= markerRight &&
            (x != lastMarker.x || y != lastMarker.y)) {
            lastMarker = {x, y};
            out->markers.push_back(lastMarker);
        }
        if (!path.Active() || (flags & kGrPtBreakBefore)) {
            path.Start(x, y);
        } else {
            // Zoomed in, most points lie off the plot: a step between two of
            // them on the same side draws nothing and is not emitted.
            const int s = side(x);
            if (s != 0 && s == side(path.Column()))
                path.MoveTo(x, y);
            else
                path.LineTo(x, y);
        }
        if (flags & kGrPtBreakAfter)
            path.Flush();
    }
    path.Flush();
}

void GrBandShapes(OGrLine* line, const GrMapping& map, GrLineShapes* out)
{
    if (!map.Usable())
        return;
    bool havePrevious = false;
    GrBandQuad q{};
    GrPointCursor points(line, 0, line->GetPointCount());
    int i, flags;
    double xv, yv;
    while (points.Next(&i, &xv, &yv, &flags)) {
        if (flags & kGrPtAbsent)
            continue;
        q.x2 = map.X(xv);
        q.y2 = map.Y(yv);
        q.d2 = map.SpreadRows(line->GetSpread(i));
        if (havePrevious)
            out->band.push_back(q);
        havePrevious = true;
        q.x1 = q.x2;
        q.y1 = q.y2;
        q.d1 = q.d2;
    }
}
