#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QImage AppIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size / 32.0;
    painter.setPen(QPen(QColor(90, 90, 90), s));
    painter.setBrush(QColor(255, 250, 240));
    painter.drawRoundedRect(QRectF(1.5 * s, 3.5 * s, 29 * s, 25 * s), 3 * s, 3 * s);
    // P wave, QRS complex, T wave.
    QPainterPath trace;
    const QPointF points[] = {{3, 18},  {8, 18},  {10, 15}, {12, 18}, {14, 18}, {15, 21}, {17, 6},
                              {19, 24}, {20, 18}, {23, 18}, {25, 14}, {27, 18}, {29, 18}};
    trace.moveTo(points[0] * s);
    for (const QPointF& p : points)
        trace.lineTo(p * s);
    painter.setPen(QPen(QColor(200, 20, 30), 2 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(trace);
    return image;
}

QIcon AppIcon()
{
    static const QIcon icon = [] {
        QIcon made;
        for (int size : {16, 32, 48})
            made.addPixmap(QPixmap::fromImage(AppIconImage(size)));
        return made;
    }();
    return icon;
}
