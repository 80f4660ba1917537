#include "LiveChartPainter.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr QRgb kTraceColour = 0xFF000000;

} // namespace

LiveChartPainter::LiveChartPainter() : m_Chart(std::make_unique<OLiveChart>()) {}

void LiveChartPainter::Draw(const QSize& size, int chartTop, const uint16_t* samples, int sampleCount, int writePos,
                            QRgb background)
{
    if (size.isEmpty())
        return;
    if (m_Image.size() != size) {
        // The old frame's columns now refer to a cleared image; erasing them
        // there only paints background over background.
        m_Image = QImage(size, QImage::Format_RGB32);
        m_Image.fill(background);
    }
    OPixelCanvas canvas(reinterpret_cast<uint32_t*>(m_Image.bits()), m_Image.width(), m_Image.height(),
                        static_cast<int>(m_Image.bytesPerLine() / 4), kTraceColour, background | 0xFF000000);
    DrawLiveTrace(*m_Chart, canvas, samples, sampleCount, writePos, m_Image.width(), m_Image.height(), chartTop);
}

void LiveChartPainter::Paint(QPainter& painter, int chartTop) const
{
    if (m_Image.isNull())
        return;
    const int top = std::clamp(chartTop - 1, 0, m_Image.height());
    painter.drawImage(QPoint(0, top), m_Image, QRect(0, top, m_Image.width(), m_Image.height() - top));
}
