#pragma once
// Fonts, pens and colours shared by every chart window, created on first use.
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPen>

class TGrResources {
public:
    static const TGrResources& Get();

    // Font of a grid label of rank -1 (minor), 0 (main) or 1 (major).
    const QFont& Font(int rank) const;
    const QFontMetrics& Metrics(int rank) const;
    // Height of a label line, measured in the heavy font.
    int LabelHeight() const { return m_LabelHeight; }
    const QPen& GridPen(int rank) const { return rank < 0 ? m_MinorPen : m_GridPen; }

    // Colour of line k of a graph: seven colours, repeating.
    static QColor LineColor(int k);
    // The pale tint of a colour, for spread bands.
    static QColor PaleTint(const QColor& c);

private:
    TGrResources();
    QFont m_Fonts[3];
    QFontMetrics m_Metrics[3];
    int m_LabelHeight;
    QPen m_MinorPen, m_GridPen;
};
