// Layout and painting of the chart window.
#include "GrRanges.h"
#include "GrShapes.h"
#include "OGrLine.h"
#include "OGrList.h"
#include "TGrResources.h"
#include "TGrScrollBar.h"
#include "TGrUpDown.h"
#include "TGrWnd.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int kGap = 6;         // pixels between panes
constexpr int kMaxGridLines = 200; // grid lines per axis that are drawn or labelled

bool InWindow(const TGrDia& a, double v) { return v >= a.viewLo && v <= a.viewHi; }

int GridLimit(TGrDia& a) { return std::min(a.GetSetkaCount(), kMaxGridLines); }

} // namespace

int TGrWnd::ScrollBarExtent() const { return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this); }

int TGrWnd::GraphsToPaint() const
{
    if (m_List == nullptr)
        return 0;
    return std::min(m_List->GetGrCount(), PaneCount());
}

void TGrWnd::Layout()
{
    const int w = width(), h = height();
    const int cy = ScrollBarExtent(), cx = cy, ax = cy;
    m_LabelHeight = TGrResources::Get().LabelHeight();
    const int upDownWidth = std::min(2 * ax, w / 2);
    m_XUpDown->setGeometry(0, h - cy, upDownWidth, cy);
    m_XBar->setGeometry(upDownWidth, h - cy, std::max(0, w - upDownWidth), cy);

    const int labelRow = m_XAxis.showValues ? m_LabelHeight : 0;
    const int space = h - cy - labelRow;
    const int n = PaneCount();
    if (n > 0) {
        const int paneHeight = (space - kGap * n + kGap) / n;
        const int upDownHeight = static_cast<int>(1.5 * cx);
        for (int i = 0; i < n; ++i) {
            Pane& pane = m_Panes[i];
            pane.top = i * (paneHeight + kGap);
            pane.bottom = pane.top + paneHeight;
            pane.right = w - cx;
            // The last pane's column reaches down to the bottom row.
            const int columnBottom = pane.bottom + (i == n - 1 ? labelRow : 0);
            const int barHeight = std::max(0, columnBottom - pane.top - upDownHeight);
            pane.bar->setGeometry(pane.right, pane.top, cx, barHeight);
            pane.upDown->setGeometry(pane.right, columnBottom - upDownHeight, cx, upDownHeight);
        }
    }
    m_LeftEdge = 0;
    update();
}

int TGrWnd::XPixel(double v) const
{
    const int right = m_Panes.empty() ? width() : m_Panes[0].right;
    return m_LeftEdge + static_cast<int>(std::trunc((v - m_XAxis.viewLo) * (right - m_LeftEdge) /
                                                    (m_XAxis.viewHi - m_XAxis.viewLo)));
}

void TGrWnd::Paint(QImage& image)
{
    const int n = GraphsToPaint();
    if (n == 0 || !PanesTileTheClient()) {
        image.fill(Qt::white);
        if (n == 0)
            return;
    }
    const TGrResources& res = TGrResources::Get();
    QPainter p(&image);
    // Panes, label column and gaps paint over everything else; what is left
    // are the control column, the bottom row and the X label row.
    const int cy = ScrollBarExtent();
    p.fillRect(m_Panes[0].right, 0, width() - m_Panes[0].right, height(), Qt::white);
    p.fillRect(0, m_Panes[n - 1].bottom, width(), height() - m_Panes[n - 1].bottom, Qt::white);

    for (int g = 0; g < n; ++g) {
        TGrDia* a = m_List->GetGrDia(g);
        if (a->isAuto) {
            GrAutoScale(m_List, g, m_XAxis, &m_PointOrders);
            a->UpdateScrollBar(m_Panes[g].bar);
        }
    }

    // The Y label column is as wide as the widest label of any graph.
    int column = 0;
    for (int g = 0; g < n; ++g) {
        TGrDia* a = m_List->GetGrDia(g);
        const int paneHeight = m_Panes[g].bottom - m_Panes[g].top;
        const int k = std::clamp(std::max(paneHeight / 6, 3 * m_LabelHeight / 2), 3, 40);
        a->Setka_Create((a->viewHi - a->viewLo) * k / paneHeight);
        if (!a->showValues)
            continue;
        std::string text;
        for (int i = 0; i < GridLimit(*a); ++i) {
            double v;
            const int rank = a->GetSetkaText(i, &v, &text);
            if (InWindow(*a, v))
                column = std::max(column, res.Metrics(rank).horizontalAdvance(QString::fromStdString(text)) + 4);
        }
    }
    m_LeftEdge = std::min(column, width() / 3);

    const int plotWidth = m_Panes[0].right - m_LeftEdge;
    const int k = std::clamp(plotWidth / 6, 3, 40);
    m_XAxis.Setka_Create((m_XAxis.viewHi - m_XAxis.viewLo) * k / plotWidth);

    const int rowTop = m_Panes[n - 1].bottom;
    const int rowBottom = height() - cy;
    const int rowRight = width() - cy;
    if (m_XAxis.showValues && rowBottom > rowTop) {
        p.setClipRect(QRect(0, rowTop, rowRight, rowBottom - rowTop));
        PaintXLabels(p, 0, rowRight, rowBottom - m_LabelHeight);
    }

    // The gaps between panes are raised bars across the whole width.
    p.setClipping(false);
    const QPalette& pal = palette();
    for (int i = 0; i + 1 < n; ++i) {
        const int b = m_Panes[i].bottom, t = m_Panes[i + 1].top;
        if (t <= b)
            continue;
        p.fillRect(0, b, width(), t - b, pal.color(QPalette::Button));
        if (t - b < 4)
            continue;
        p.fillRect(0, b + 1, width(), 1, pal.color(QPalette::Light));
        p.fillRect(0, t - 2, width(), 1, pal.color(QPalette::Dark));
        p.fillRect(0, t - 1, width(), 1, Qt::black);
    }

    for (int g = 0; g < n; ++g)
        PaintPane(p, image, g, m_LeftEdge);
}

bool TGrWnd::PanesTileTheClient() const
{
    // True when panes and gaps cover the rows from 0 to the last pane's
    // bottom without holes (boundaries dragged past each other leave some).
    int y = 0;
    for (const Pane& pane : m_Panes) {
        if (pane.top > y + 6 || pane.bottom <= pane.top || pane.top < y)
            return false;
        y = pane.bottom;
    }
    return !m_Panes.empty() && m_Panes[0].top == 0;
}

void TGrWnd::PaintXLabels(QPainter& p, int rowLeft, int rowRight, int top)
{
    p.setPen(Qt::black);
    p.setBackgroundMode(Qt::TransparentMode);
    PlaceXLabels(p, 1, rowLeft, rowRight, 0, GridLimit(m_XAxis), top);
}

// Places labels of rank r and below into [from, to] using lines first..end-1;
// each label placed first lets lower ranks fill the space to its left, so
// higher-ranked labels are never crowded out and neighbours keep 10 px apart.
void TGrWnd::PlaceXLabels(QPainter& p, int rank, int from, int to, int first, int end, int top)
{
    const TGrResources& res = TGrResources::Get();
    const int right = m_Panes[0].right;
    std::string text;
    for (int r = rank; r >= -1; --r) {
        for (int i = first; i < end; ++i) {
            double v;
            if (m_XAxis.GetSetkaLine(i, &v) != r || !InWindow(m_XAxis, v))
                continue;
            const int x = XPixel(v);
            if (x < m_LeftEdge || x >= right)
                continue;
            m_XAxis.GetSetkaText(i, &v, &text);
            const QString label = QString::fromStdString(text);
            const QFontMetrics& fm = res.Metrics(r);
            const int w = fm.horizontalAdvance(label);
            const int left = x - w / 2;
            if (left < from || left + w > to)
                continue;
            p.setFont(res.Font(r));
            p.drawText(left, top + fm.ascent(), label);
            if (r > -1)
                PlaceXLabels(p, r - 1, from, left - 10, first, i, top);
            from = left + w + 10;
            first = i + 1;
        }
    }
}
