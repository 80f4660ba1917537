// Painting of one pane: grid, spread bands, lines and the Y labels beside it.
#include "GrRanges.h"
#include "GrShapes.h"
#include "GrSpans.h"
#include "OGrLine.h"
#include "OGrList.h"
#include "TGrMarkers.h"
#include "TGrResources.h"
#include "TGrWnd.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int kMaxGridLines = 200;

struct GridMark {
    int pos, rank;
};

// How deep a span's tint is: a light wash, deeper for the chosen one.
constexpr int kSpanAlpha = 50;
constexpr int kStrongSpanAlpha = 110;

QColor ColorOf(OGrLine* line, int k)
{
    const int rgb = line->GetColor();
    return rgb >= 0 ? QColor::fromRgb(static_cast<QRgb>(rgb)) : TGrResources::LineColor(k);
}

} // namespace

void TGrWnd::PaintPane(QPainter& p, QImage& image, int g, int left)
{
    const Pane& pane = m_Panes[g];
    TGrDia* a = m_List->GetGrDia(g);
    const int top = pane.top, bottom = pane.bottom, right = pane.right;
    if (bottom <= top)
        return;
    const int lastRow = bottom - 1;
    const TGrResources& res = TGrResources::Get();

    // Grid positions first, so drawing needs no further axis calls.
    GridMark rows[kMaxGridLines], columns[kMaxGridLines];
    int rowCount = 0, columnCount = 0;
    double v;
    if (a->showSetka && a->ViewValid()) {
        for (int i = 0; i < std::min(a->GetSetkaCount(), kMaxGridLines); ++i) {
            const int rank = a->GetSetkaLine(i, &v);
            if (v < a->viewLo || v > a->viewHi)
                continue;
            const int y =
                lastRow - static_cast<int>(std::trunc((v - a->viewLo) * (lastRow - top) / (a->viewHi - a->viewLo)));
            if (y >= top && y <= bottom)
                rows[rowCount++] = {y, rank};
        }
    }
    if (m_XAxis.showSetka && m_XAxis.ViewValid()) {
        for (int i = 0; i < std::min(m_XAxis.GetSetkaCount(), kMaxGridLines); ++i) {
            const int rank = m_XAxis.GetSetkaLine(i, &v);
            if (v < m_XAxis.viewLo || v > m_XAxis.viewHi)
                continue;
            const int x = XPixel(v);
            if (x >= left && x < right)
                columns[columnCount++] = {x, rank};
        }
    }

    const QRect plot(left, top, right - left, bottom - top);
    p.setClipRect(plot);
    p.fillRect(plot, Qt::white);
    const GrMapping map(m_XAxis.viewLo, m_XAxis.viewHi, left, right, a->viewLo, a->viewHi, top, lastRow);
    GrSpanShapes(m_List, g, map, &m_SpanRects);
    for (const GrSpanRect& r : m_SpanRects) {
        QColor tint = QColor::fromRgb(static_cast<QRgb>(r.rgb));
        tint.setAlpha(r.strong ? kStrongSpanAlpha : kSpanAlpha);
        p.fillRect(QRect(r.x1, top, r.x2 - r.x1 + 1, bottom - top), tint);
    }
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < rowCount; ++i) {
        p.setPen(res.GridPen(rows[i].rank));
        p.drawLine(left, rows[i].pos, right, rows[i].pos);
    }
    for (int i = 0; i < columnCount; ++i) {
        p.setPen(res.GridPen(columns[i].rank));
        p.drawLine(columns[i].pos, top, columns[i].pos, bottom);
    }

    GrLineShapes& shapes = m_Shapes;
    const int lines = m_List->GetLineCount(g);
    p.setPen(Qt::NoPen);
    for (int k = 0; k < lines; ++k) {
        OGrLine* line = m_List->GetLine(g, k);
        if (line->HasSpread() != 1)
            continue;
        shapes.Clear();
        GrBandShapes(line, map, &shapes);
        p.setBrush(TGrResources::PaleTint(ColorOf(line, k)));
        for (const GrBandQuad& q : shapes.band) {
            const QPoint corners[4] = {
                {q.x1, q.y1 - q.d1}, {q.x1, q.y1 + q.d1}, {q.x2, q.y2 + q.d2}, {q.x2, q.y2 - q.d2}};
            p.drawConvexPolygon(corners, 4);
        }
    }
    for (int k = 0; k < lines; ++k) {
        OGrLine* line = m_List->GetLine(g, k);
        if (line->HasSpread() != 0)
            continue;
        shapes.Clear();
        if (line->IsFunction() == 1)
            GrFunctionShapes(line, map, &shapes);
        else
            GrPointShapes(line, map, &shapes, GrOrderOf(&m_PointOrders, g, k));
        const QColor color = ColorOf(line, k);
        // Written straight into the frame: a wide pen would go through the
        // path stroker, far too slow for thousands of segments per paint.
        TGrStampSegments(image, plot, shapes.segments, color);
        TGrStampMarkers(image, plot, shapes.markers, color);
    }
    p.setBrush(Qt::NoBrush);
    if (a->showLegend)
        PaintLegend(p, g, plot);

    // Y labels, right-aligned beside the plot; a label that does not fit
    // completely between the pane's top and bottom is left out.
    const QRect labelStrip(0, top, left, bottom - top);
    p.setClipRect(labelStrip);
    p.fillRect(labelStrip, Qt::white);
    if (!a->showValues || left <= 0)
        return;
    p.setPen(Qt::black);
    p.setBackgroundMode(Qt::TransparentMode);
    std::string text;
    for (int i = 0; i < std::min(a->GetSetkaCount(), kMaxGridLines); ++i) {
        const int rank = a->GetSetkaText(i, &v, &text);
        if (v < a->viewLo || v > a->viewHi)
            continue;
        const int y =
            lastRow - static_cast<int>(std::trunc((v - a->viewLo) * (lastRow - top) / (a->viewHi - a->viewLo)));
        const QFontMetrics& fm = res.Metrics(rank);
        const QString label = QString::fromStdString(text);
        const int labelTop = y - fm.height() / 2;
        if (labelTop < top || labelTop + fm.height() > bottom)
            continue;
        p.setFont(res.Font(rank));
        p.drawText(left - fm.horizontalAdvance(label) - 2, labelTop + fm.ascent(), label);
    }
}

void TGrWnd::PaintLegend(QPainter& p, int g, const QRect& plot)
{
    const TGrResources& res = TGrResources::Get();
    const QFontMetrics& fm = res.Metrics(0);
    p.setFont(res.Font(0));
    p.setBackgroundMode(Qt::TransparentMode);
    int y = plot.top() + 2;
    const int lines = m_List->GetLineCount(g);
    for (int k = 0; k < lines; ++k) {
        OGrLine* line = m_List->GetLine(g, k);
        const std::string name = line->GetName();
        if (name.empty())
            continue;
        if (y + fm.height() > plot.bottom())
            break; // what does not fit the pane is left out
        const QString text = QString::fromStdString(name);
        // A light backing keeps the name readable over the curves.
        p.fillRect(QRect(plot.left() + 2, y, fm.horizontalAdvance(text) + 6, fm.height()), QColor(255, 255, 255, 220));
        p.setPen(ColorOf(line, k));
        p.drawText(plot.left() + 5, y + fm.ascent(), text);
        y += fm.height();
    }
}
