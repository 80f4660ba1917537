#pragma once
// The live trace on screen. Qt draws only inside a paint event, so each frame
// is swept into a persistent image (erasing just what the previous frame drew)
// and the paint event shows that image below the chart's top line.
#include "OLiveChart.h"

#include <QImage>

#include <cstdint>
#include <memory>

class QPainter;

class LiveChartPainter {
public:
    LiveChartPainter();

    // Sweeps the ring (oldest sample at writePos) into the image of a client
    // area of that size; another size starts a fresh, cleared image.
    void Draw(const QSize& size, int chartTop, const uint16_t* samples, int sampleCount, int writePos, QRgb background);
    bool Fits(const QSize& size) const { return m_Image.size() == size; }
    // Shows the chart area (from chartTop - 1 down) of the image.
    void Paint(QPainter& painter, int chartTop) const;
    const QImage& Image() const { return m_Image; }

private:
    QImage m_Image;
    std::unique_ptr<OLiveChart> m_Chart;
};
