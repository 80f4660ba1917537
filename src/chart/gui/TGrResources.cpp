#include "TGrResources.h"

#include <algorithm>

namespace {

// A sans font with Cyrillic glyphs, 13 pixels from top to bottom like the
// classic small dialog font the labels were designed for.
QFont LabelFont(int weight)
{
    QFont font;
    font.setFamilies({"DejaVu Sans", "Liberation Sans", "Noto Sans", "FreeSans"});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

} // namespace

TGrResources::TGrResources()
    : m_Fonts{LabelFont(100), LabelFont(400), LabelFont(900)},
      m_Metrics{QFontMetrics(m_Fonts[0]), QFontMetrics(m_Fonts[1]), QFontMetrics(m_Fonts[2])}
{
    // The cell height of a line holding every character a label may use.
    const QString sample = QString::fromUtf8("час:мин сек 1234567890.EeINF-+°\"' ");
    m_LabelHeight = std::max(m_Metrics[2].height(), m_Metrics[2].size(Qt::TextSingleLine, sample).height());
    m_MinorPen = QPen(QColor(210, 210, 210), 1, Qt::DotLine);
    m_MinorPen.setCosmetic(true);
    m_GridPen = QPen(QColor(200, 200, 200), 1, Qt::SolidLine);
    m_GridPen.setCosmetic(true);
}

const TGrResources& TGrResources::Get()
{
    static const TGrResources resources;
    return resources;
}

const QFont& TGrResources::Font(int rank) const { return m_Fonts[std::clamp(rank, -1, 1) + 1]; }

const QFontMetrics& TGrResources::Metrics(int rank) const { return m_Metrics[std::clamp(rank, -1, 1) + 1]; }

QColor TGrResources::LineColor(int k)
{
    static const QRgb palette[7] = {qRgb(0, 0, 0),     qRgb(190, 0, 0),   qRgb(0, 190, 0),  qRgb(0, 0, 190),
                                    qRgb(190, 0, 190), qRgb(190, 190, 0), qRgb(0, 190, 190)};
    return QColor(palette[((k % 7) + 7) % 7]);
}

QColor TGrResources::PaleTint(const QColor& c)
{
    // Rounded, so that RGB(190, 0, 0) becomes RGB(239, 190, 190).
    auto tint = [](int v) { return std::clamp((v * 66 + 128) / 256 + 190, 0, 255); };
    return QColor(tint(c.red()), tint(c.green()), tint(c.blue()));
}
