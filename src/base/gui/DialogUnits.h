#pragma once
// Pixels per dialog unit for a window's font, the way dialog templates scale:
// our windows keep the positions of their templates in dialog units.
#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QString>

#include <cmath>

struct DialogUnits {
    double x = 1.5;
    double y = 1.625;
    explicit DialogUnits(const QFont& font)
    {
        const QFontMetrics metrics(font);
        const QString alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        x = metrics.horizontalAdvance(alphabet) / 52.0 / 4.0;
        y = metrics.height() / 8.0;
    }
    QRect Rect(int left, int top, int width, int height) const
    {
        const int l = static_cast<int>(std::lround(left * x));
        const int t = static_cast<int>(std::lround(top * y));
        return QRect(l, t, static_cast<int>(std::lround((left + width) * x)) - l,
                     static_cast<int>(std::lround((top + height) * y)) - t);
    }
};
