#include "TGrMarkers.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Offset {
    int dx, dy;
};

// The pixels of one marker relative to its centre, taken once from the
// painter's own circle (bounded by x - 3 .. x + 3, outline 2 pixels wide).
const std::vector<Offset>& MarkerShape()
{
    static const std::vector<Offset> shape = [] {
        QImage probe(16, 16, QImage::Format_RGB32);
        probe.fill(Qt::white);
        {
            QPainter p(&probe);
            p.setPen(QPen(Qt::black, 2));
            p.setBrush(Qt::black);
            p.drawEllipse(QRect(8 - 3, 8 - 3, 6, 6));
        }
        std::vector<Offset> offsets;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (probe.pixel(x, y) != qRgb(255, 255, 255))
                    offsets.push_back({x - 8, y - 8});
        return offsets;
    }();
    return shape;
}

} // namespace

void TGrStampMarkers(QImage& image, const QRect& clip, const std::vector<GrPixel>& markers, const QColor& color)
{
    if (markers.empty() || image.format() != QImage::Format_RGB32)
        return;
    const QRect area = clip.intersected(image.rect());
    if (area.isEmpty())
        return;
    const std::vector<Offset>& shape = MarkerShape();
    const QRgb rgb = color.rgb();
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const int left = area.left(), top = area.top(), right = area.right(), bottom = area.bottom();
    // One bit per centre position inside the area (and a margin of 3 around
    // it, since a marker centred just outside still reaches in).
    const int margin = 3;
    const int w = area.width() + 2 * margin, h = area.height() + 2 * margin;
    std::vector<bool> done(static_cast<size_t>(w) * h);
    for (const GrPixel& m : markers) {
        const int cx = m.x - left + margin, cy = m.y - top + margin;
        if (cx < 0 || cy < 0 || cx >= w || cy >= h)
            continue;
        const size_t bit = static_cast<size_t>(cy) * w + cx;
        if (done[bit])
            continue;
        done[bit] = true;
        const bool inside = m.x - margin >= left && m.x + margin <= right && m.y - margin >= top && m.y + margin <= bottom;
        for (const Offset& o : shape) {
            const int x = m.x + o.dx, y = m.y + o.dy;
            if (inside || (x >= left && x <= right && y >= top && y <= bottom))
                reinterpret_cast<QRgb*>(bits + y * stride)[x] = rgb;
        }
    }
}

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
    // Columns x and x + 1 from row y1 to row y2 (inclusive).
    void Vertical(int x, int y1, int y2)
    {
        if (y1 > y2)
            std::swap(y1, y2);
        y1 = std::max(y1, m_Clip.top());
        y2 = std::min(y2, m_Clip.bottom());
        const int x1 = std::max(x, m_Clip.left()), x2 = std::min(x + 1, m_Clip.right());
        if (x1 > x2)
            return;
        uchar* line = m_Bits + y1 * m_Stride;
        for (int y = y1; y <= y2; ++y, line += m_Stride) {
            QRgb* row = reinterpret_cast<QRgb*>(line);
            row[x1] = m_Rgb;
            row[x2] = m_Rgb;
        }
    }

private:
    QRgb* Row(int y) { return reinterpret_cast<QRgb*>(m_Bits + y * m_Stride); }
    uchar* m_Bits;
    qsizetype m_Stride;
    QRect m_Clip;
    QRgb m_Rgb;
};

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
    for (const GrSegment& s : segments) {
        if (s.x1 == s.x2) {
            pen.Vertical(s.x1, s.y1, s.y2);
            continue;
        }
        double ax = s.x1, ay = s.y1, bx = s.x2, by = s.y2;
        if (!ClipSegment(ax, ay, bx, by, c.left() - 2, c.top() - 2, c.right() + 2, c.bottom() + 2))
            continue;
        int x = static_cast<int>(std::lround(ax)), y = static_cast<int>(std::lround(ay));
        const int xe = static_cast<int>(std::lround(bx)), ye = static_cast<int>(std::lround(by));
        const int dx = std::abs(xe - x), dy = -std::abs(ye - y);
        const int sx = x < xe ? 1 : -1, sy = y < ye ? 1 : -1;
        const bool steep = -dy > dx;
        int err = dx + dy;
        for (;;) {
            pen.Plot(x, y);
            if (steep)
                pen.Plot(x + 1, y);
            else
                pen.Plot(x, y + 1);
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
}
