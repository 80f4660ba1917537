#include "TGrMarkers.h"

#include <QPainter>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <vector>

namespace {

// One column of the marker: rows dy0..dy1 at column offset dx.
struct ShapeColumn {
    int dx, dy0, dy1;
};

// The marker as vertical runs relative to its centre, taken once from the
// painter's own circle (bounded by x - 3 .. x + 3, outline 2 pixels wide).
// A filled circle has one run per column, which lets markers be merged
// column by column below.
const std::vector<ShapeColumn>& MarkerColumns()
{
    static const std::vector<ShapeColumn> columns = [] {
        QImage probe(16, 16, QImage::Format_RGB32);
        probe.fill(Qt::white);
        {
            QPainter p(&probe);
            p.setPen(QPen(Qt::black, 2));
            p.setBrush(Qt::black);
            p.drawEllipse(QRect(8 - 3, 8 - 3, 6, 6));
        }
        std::vector<ShapeColumn> runs;
        for (int x = 0; x < 16; ++x) {
            for (int y = 0; y < 16; ++y) {
                if (probe.pixel(x, y) == qRgb(255, 255, 255))
                    continue;
                int end = y;
                while (end + 1 < 16 && probe.pixel(x, end + 1) != qRgb(255, 255, 255))
                    ++end;
                runs.push_back({x - 8, y - 8, end - 8});
                y = end;
            }
        }
        return runs;
    }();
    return columns;
}

// Pixels from the centre to the farthest pixel of the shape (the outline
// reaches one pixel past the circle's bounds on some sides).
int MarkerReach()
{
    static const int reach = [] {
        int r = 0;
        for (const ShapeColumn& c : MarkerColumns())
            r = std::max({r, std::abs(c.dx), std::abs(c.dy0), std::abs(c.dy1)});
        return r;
    }();
    return reach;
}

} // namespace

namespace {

// Pixel writer for one colour within a clip rectangle.
class Pen2 {
public:
    Pen2(QImage& image, const QRect& clip, QRgb rgb)
        : m_Bits(image.bits()), m_Stride(image.bytesPerLine()), m_Clip(clip.intersected(image.rect())), m_Rgb(rgb)
    {
    }
    bool Empty() const { return m_Clip.isEmpty(); }
    const QRect& Clip() const { return m_Clip; }
    void Plot(int x, int y)
    {
        if (x >= m_Clip.left() && x <= m_Clip.right() && y >= m_Clip.top() && y <= m_Clip.bottom())
            Row(y)[x] = m_Rgb;
    }
    // Bresenham's line from (x, y) to (xe, ye), each pixel with its
    // neighbour to the right (steep) or below (flat): two pixels wide.
    // Unchecked, every pixel must lie inside the clip.
    template <bool kChecked> void Line(int x, int y, int xe, int ye)
    {
        const int dx = std::abs(xe - x), dy = -std::abs(ye - y);
        const int sx = x < xe ? 1 : -1, sy = y < ye ? 1 : -1;
        const bool steep = -dy > dx;
        int err = dx + dy;
        for (;;) {
            if constexpr (kChecked) {
                Plot(x, y);
                Plot(steep ? x + 1 : x, steep ? y : y + 1);
            } else {
                QRgb* row = Row(y);
                row[x] = m_Rgb;
                if (steep)
                    row[x + 1] = m_Rgb;
                else
                    Row(y + 1)[x] = m_Rgb;
            }
            if (x == xe && y == ye)
                break;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y += sy;
            }
        }
    }
    // Columns x1..x2 from row y1 to row y2 (inclusive, rows in either
    // order), row by row: a stroke two pixels wide touches each row once.
    void Block(int x1, int x2, int y1, int y2)
    {
        x1 = std::max(x1, m_Clip.left());
        x2 = std::min(x2, m_Clip.right());
        if (x1 > x2)
            return;
        if (y1 > y2)
            std::swap(y1, y2);
        y1 = std::max(y1, m_Clip.top());
        y2 = std::min(y2, m_Clip.bottom());
        uchar* line = m_Bits + y1 * m_Stride;
        for (int y = y1; y <= y2; ++y, line += m_Stride) {
            QRgb* row = reinterpret_cast<QRgb*>(line);
            for (int x = x1; x <= x2; ++x)
                row[x] = m_Rgb;
        }
    }
    void Column(int x, int y1, int y2) { Block(x, x, y1, y2); }
    // Columns x and x + 1: a vertical stroke of the two-pixel pen.
    void Vertical(int x, int y1, int y2) { Block(x, x + 1, y1, y2); }

private:
    QRgb* Row(int y) { return reinterpret_cast<QRgb*>(m_Bits + y * m_Stride); }
    uchar* m_Bits;
    qsizetype m_Stride;
    QRect m_Clip;
    QRgb m_Rgb;
};

} // namespace

void TGrStampMarkers(QImage& image, const QRect& clip, const std::vector<GrPixel>& markers, const QColor& color)
{
    if (markers.empty() || image.format() != QImage::Format_RGB32)
        return;
    const QRect area = clip.intersected(image.rect());
    if (area.isEmpty())
        return;
    // Centres that can reach the area, one bit each, column by column: a
    // dense point line puts many markers on the same or neighbouring rows,
    // and a run of centres in one column is one vertical run per shape
    // column, written once.
    const int margin = MarkerReach();
    const int left = area.left() - margin, top = area.top() - margin;
    const int w = area.width() + 2 * margin, h = area.height() + 2 * margin;
    const int words = (h + 63) / 64;
    std::vector<uint64_t> centres(static_cast<size_t>(w) * words);
    for (const GrPixel& m : markers) {
        const int cx = m.x - left, cy = m.y - top;
        if (cx < 0 || cy < 0 || cx >= w || cy >= h)
            continue;
        centres[static_cast<size_t>(cx) * words + cy / 64] |= uint64_t{1} << (cy % 64);
    }

    Pen2 pen(image, area, color.rgb());
    const std::vector<ShapeColumn>& shape = MarkerColumns();
    for (int cx = 0; cx < w; ++cx) {
        const uint64_t* column = &centres[static_cast<size_t>(cx) * words];
        // Runs of consecutive centre rows r0..r1.
        int row = 0;
        while (row < h) {
            const uint64_t rest = column[row / 64] >> (row % 64);
            if (rest == 0) {
                row = (row / 64 + 1) * 64;
                continue;
            }
            const int r0 = row + std::countr_zero(rest);
            int r1 = r0;
            while (r1 + 1 < h && (column[(r1 + 1) / 64] >> ((r1 + 1) % 64) & 1))
                ++r1;
            for (const ShapeColumn& c : shape)
                pen.Column(left + cx + c.dx, top + r0 + c.dy0, top + r1 + c.dy1);
            row = r1 + 1;
        }
    }
}

namespace {

// Cuts the segment to the rectangle [x0, x1] x [y0, y1]; false if it misses.
bool ClipSegment(double& ax, double& ay, double& bx, double& by, double x0, double y0, double x1, double y1)
{
    double t0 = 0, t1 = 1;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - x0, x1 - ax, ay - y0, y1 - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double sx = ax, sy = ay;
    ax = sx + t0 * dx;
    ay = sy + t0 * dy;
    bx = sx + t1 * dx;
    by = sy + t1 * dy;
    return true;
}

} // namespace

void TGrStampSegments(QImage& image, const QRect& clip, const std::vector<GrSegment>& segments, const QColor& color)
{
    if (segments.empty() || image.format() != QImage::Format_RGB32)
        return;
    Pen2 pen(image, clip, color.rgb());
    if (pen.Empty())
        return;
    const QRect& c = pen.Clip();
    const QRect reach = c.adjusted(-2, -2, 2, 2);
    for (const GrSegment& s : segments) {
        if (s.x1 == s.x2) {
            pen.Vertical(s.x1, s.y1, s.y2);
            continue;
        }
        int x = s.x1, y = s.y1, xe = s.x2, ye = s.y2;
        if (!reach.contains(x, y) || !reach.contains(xe, ye)) {
            double ax = x, ay = y, bx = xe, by = ye;
            if (!ClipSegment(ax, ay, bx, by, reach.left(), reach.top(), reach.right(), reach.bottom()))
                continue;
            x = static_cast<int>(std::lround(ax));
            y = static_cast<int>(std::lround(ay));
            xe = static_cast<int>(std::lround(bx));
            ye = static_cast<int>(std::lround(by));
        }
        // Most segments, with their second pixel, lie wholly inside: those
        // are written without a test per pixel.
        if (std::min(x, xe) >= c.left() && std::max(x, xe) < c.right() && std::min(y, ye) >= c.top() &&
            std::max(y, ye) < c.bottom())
            pen.Line<false>(x, y, xe, ye);
        else
            pen.Line<true>(x, y, xe, ye);
    }
}
