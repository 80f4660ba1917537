// Markers written straight into the frame against the painter's own circles:
// the same pixels, however many markers share or neighbour a position, and
// at the clip's edges.
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

} // namespace
