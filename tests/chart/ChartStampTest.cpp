// Markers written straight into the frame against the painter's own circles:
// the same pixels, however many markers share or neighbour a position, and
// at the clip's edges.
#include "FakeGrList.h"
#include "GrDefs.h"
#include "GrRanges.h"
#include "TGrMarkers.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

QImage Blank()
{
    QImage image(120, 90, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

QImage PainterCircles(const QRect& clip, const std::vector<GrPixel>& markers, const QColor& color)
{
    QImage image = Blank();
    QPainter p(&image);
    p.setClipRect(clip);
    p.setPen(QPen(color, 2));
    p.setBrush(color);
    for (const GrPixel& m : markers)
        p.drawEllipse(QRect(m.x - 3, m.y - 3, 6, 6));
    return image;
}

TEST(ChartStamp, MarkersMatchThePaintersCircles)
{
    const QColor color(200, 30, 60);
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> x(-8, 128), y(-8, 98), spread(-4, 4);
    std::vector<GrPixel> scattered, dense;
    for (int i = 0; i < 300; ++i)
        scattered.push_back({x(rng), y(rng)});
    // A noisy series: many centres per column, on the same and adjacent rows.
    for (int i = 0; i < 3000; ++i)
        dense.push_back({20 + i / 40, 45 + spread(rng) + (i % 7 == 0 ? 12 : 0)});
    std::vector<GrPixel> edges{{10, 10}, {11, 10}, {10, 11}, {7, 40}, {112, 40}, {60, 7}, {60, 82}, {6, 6}};

    for (const QRect& clip : {QRect(0, 0, 120, 90), QRect(10, 10, 100, 70), QRect(50, 40, 1, 1)}) {
        for (const std::vector<GrPixel>* markers : {&scattered, &dense, &edges}) {
            QImage stamped = Blank();
            TGrStampMarkers(stamped, clip, *markers, color);
            const QImage painted = PainterCircles(clip, *markers, color);
            int differing = 0;
            for (int r = 0; r < stamped.height(); ++r)
                for (int c = 0; c < stamped.width(); ++c)
                    differing += stamped.pixel(c, r) != painted.pixel(c, r);
            EXPECT_EQ(differing, 0) << "clip " << clip.x() << "," << clip.y() << " markers " << markers->size();
        }
    }
}

// A segment wholly inside the clip is written without per-pixel tests, one
// that crosses its edge with them: inside the clip both give the pixels the
// same segment gets when nothing clips it.
TEST(ChartStamp, ClippedSegmentsKeepTheirPixelsInsideTheClip)
{
    std::mt19937 rng(11);
    const QRect clip(20, 15, 80, 60);
    std::uniform_int_distribution<int> x(clip.left() - 2, clip.right() + 2), y(clip.top() - 2, clip.bottom() + 2);
    std::vector<GrSegment> segments;
    for (int i = 0; i < 400; ++i)
        segments.push_back({x(rng), y(rng), x(rng), y(rng)});
    segments.push_back({clip.left(), clip.top(), clip.right() - 1, clip.bottom() - 1}); // corner to corner
    segments.push_back({clip.right(), clip.top(), clip.right(), clip.bottom()});       // on the last column
    QImage clipped = Blank(), whole = Blank();
    TGrStampSegments(clipped, clip, segments, Qt::blue);
    TGrStampSegments(whole, whole.rect(), segments, Qt::blue);
    int differing = 0, outside = 0;
    for (int r = 0; r < whole.height(); ++r)
        for (int c = 0; c < whole.width(); ++c) {
            if (clip.contains(c, r))
                differing += clipped.pixel(c, r) != whole.pixel(c, r);
            else
                outside += clipped.pixel(c, r) != qRgb(255, 255, 255);
        }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(outside, 0);
}

// Zoomed into a long ascending point line, painting reads only the points
// near the window; what shows must not change, with breaks, markers, a gap
// in x that a window can start or end in, and a stretch of points sharing
// one x.
TEST(ChartStamp, ReadingOnlyTheVisiblePointsChangesNoPixel)
{
    std::mt19937 rng(9);
    std::uniform_real_distribution<double> value(0, 100);
    std::uniform_int_distribution<int> pick(0, 19);
    std::vector<FakePoint> points;
    for (int i = 0; i < 20000; ++i) {
        const int r = pick(rng);
        const int flags = r == 0 ? kGrPtBreakBefore : r == 1 ? kGrPtBreakAfter : r < 10 ? kGrPtNoMarker : 0;
        const double x = (i < 9000 || i > 9100 ? i * 0.5 : 4500.0) + (i >= 8000 ? 30 : 0);
        points.push_back({x, value(rng), flags});
    }
    auto line = FakeLine::Points(points);
    FakeGrList list;
    list.AddLine(list.AddGraph(), FakeLine::Points(points));
    TGrDia x;
    GrPointOrders orders;
    GrCollectRanges(&list, &x, &orders);
    const GrPointOrder* order = GrOrderOf(&orders, 0, 0);
    ASSERT_NE(order, nullptr);
    EXPECT_TRUE(order->ascending);

    const QRect plot(10, 5, 100, 80);
    for (double lo : {-30.0, 3980.0, 4010.0, 4500.0, 4529.9, 6000.0, 10020.0}) {
        const GrMapping map(lo, lo + 40, plot.left(), plot.right() + 1, 0, 100, plot.top(), plot.bottom());
        // Every point one at a time; the points near the window; those in
        // blocks.
        QImage images[3];
        for (int k = 0; k < 3; ++k) {
            GrLineShapes shapes;
            line->bulk = k == 2;
            GrPointShapes(line.get(), map, &shapes, k == 0 ? nullptr : order);
            images[k] = Blank();
            TGrStampSegments(images[k], plot, shapes.segments, Qt::black);
            TGrStampMarkers(images[k], plot, shapes.markers, Qt::red);
        }
        EXPECT_TRUE(images[0] == images[1]) << "window from " << lo;
        EXPECT_TRUE(images[0] == images[2]) << "window from " << lo;
    }

    // Out of order, or changed since attaching: every point is read.
    int from = -1, to = -1;
    GrPointsWithin(line.get(), order, 100, 200, &from, &to);
    EXPECT_EQ(from, 200);
    EXPECT_EQ(to, 401);
    line->points.pop_back();
    GrPointsWithin(line.get(), order, 100, 200, &from, &to);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 19999);
    for (const int flags : {0, static_cast<int>(kGrPtAbsent)}) {
        FakeGrList other;
        std::vector<FakePoint> shuffled(points.begin(), points.begin() + 10);
        std::swap(shuffled[3].x, shuffled[4].x);
        shuffled[4].flags = flags;
        if (flags != 0)
            shuffled[3].x = shuffled[4].x = 1.5; // in order, but one point absent
        other.AddLine(other.AddGraph(), FakeLine::Points(shuffled));
        GrCollectRanges(&other, &x, &orders);
        EXPECT_FALSE(GrOrderOf(&orders, 0, 0)->ascending) << flags;
    }
}

} // namespace
