// User interaction of the chart window: scroll bars, zoom arrows, keys
// forwarded by the owner, the wheel, dragging and the popup menu.
#include "OGrList.h"
#include "TGrScrollBar.h"
#include "TGrWheelHook.h"
#include "TGrWnd.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStyle>

namespace {

constexpr int kZonePlot = 0;
constexpr int kZoneX = 1;
constexpr int kZoneY = 2;
constexpr int kZoneBoundary = 3000; // + index of the upper pane
constexpr int kOutsidePanes = 1000000;

} // namespace

bool TGrWnd::ValidGraph(int g) const { return m_List != nullptr && g >= 0 && g < GraphsToPaint(); }

TGrDia* TGrWnd::GraphAxis(int g) const { return ValidGraph(g) ? m_List->GetGrDia(g) : nullptr; }

int TGrWnd::ZoneAt(QPoint p) const
{
    if (p.y() >= height() - ScrollBarExtent())
        return kZoneX;
    if (m_Panes.empty())
        return kZonePlot;
    const Pane& last = m_Panes.back();
    if (p.x() >= last.right)
        return kZoneY;
    if (p.y() >= last.bottom)
        return kZoneX;
    if (p.x() < m_LeftEdge)
        return kZoneY;
    for (int i = 0; i + 1 < PaneCount(); ++i)
        if (p.y() >= m_Panes[i].bottom && p.y() < m_Panes[i + 1].top)
            return kZoneBoundary + i;
    return kZonePlot;
}

int TGrWnd::PaneAt(int y) const
{
    for (int i = 0; i < PaneCount(); ++i)
        if (y >= m_Panes[i].top && y < m_Panes[i].bottom)
            return i;
    return -1;
}

void TGrWnd::OnWheel(const TGrWheelEvent& e)
{
    const QPoint p = mapFromGlobal(e.globalPos);
    const double steps = e.delta / 120.0;
    const bool modified = (e.modifiers & (Qt::ShiftModifier | Qt::ControlModifier)) || (e.buttons & Qt::MiddleButton);
    if (ZoneAt(p) == kZoneY || modified) {
        const int g = PaneAt(p.y());
        TGrDia* a = GraphAxis(g);
        if (a == nullptr)
            return;
        const Pane& pane = m_Panes[g];
        const double anchor = a->viewHi + (a->viewLo - a->viewHi) * (p.y() - pane.top) / (pane.bottom - pane.top);
        Zoom(steps, a, pane.bar, anchor);
        return;
    }
    if (m_List == nullptr || width() <= 0)
        return;
    const double anchor = m_XAxis.viewLo + (m_XAxis.viewHi - m_XAxis.viewLo) * p.x() / width();
    Zoom(steps, &m_XAxis, m_XBar, anchor);
}

void TGrWnd::OnXScroll(int code, int trackPos)
{
    m_XAxis.Scroll(code, m_XBar, trackPos);
    Repaint();
}

void TGrWnd::OnPaneScroll(int g, int code, int trackPos)
{
    TGrDia* a = GraphAxis(g);
    if (a == nullptr)
        return;
    m_CurrentGraph = g;
    a->Scroll(code, m_Panes[g].bar, trackPos);
    Repaint();
}

void TGrWnd::OnXUpDown(int delta)
{
    if (m_List == nullptr)
        return;
    Zoom(delta, &m_XAxis, m_XBar, (m_XAxis.viewLo + m_XAxis.viewHi) / 2);
}

void TGrWnd::OnPaneUpDown(int g, int delta)
{
    TGrDia* a = GraphAxis(g);
    if (a == nullptr)
        return;
    m_CurrentGraph = g;
    Zoom(delta, a, m_Panes[g].bar, (a->viewLo + a->viewHi) / 2);
}

void TGrWnd::GrKey(int key, Qt::KeyboardModifiers modifiers, int repeat, bool release)
{
    if (release || m_List == nullptr)
        return;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const double r = std::max(1, repeat);
    TGrDia& x = m_XAxis;
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const bool left = key == Qt::Key_Left;
        if (shift)
            Zoom(left ? r : -r, &x, m_XBar, (x.viewLo + x.viewHi) / 2);
        else
            OnXScroll(left ? (ctrl ? SB_GR_PAGEUP : SB_GR_LINEUP) : (ctrl ? SB_GR_PAGEDOWN : SB_GR_LINEDOWN), 0);
        return;
    }
    case Qt::Key_Z: OnXScroll(SB_GR_TOP, 0); return;
    case Qt::Key_X: OnXScroll(SB_GR_BOTTOM, 0); return;
    case Qt::Key_C: OnXScroll(SB_GR_CENTER, 0); return;
    case Qt::Key_A:
        x.isAuto = 0;
        x.isFull = 1;
        x.NormalizeView(true);
        x.UpdateScrollBar(m_XBar);
        Repaint();
        return;
    default: GraphKey(key, shift, ctrl, modifiers & Qt::KeypadModifier, static_cast<int>(r)); return;
    }
}

void TGrWnd::GraphKey(int key, bool shift, bool ctrl, bool keypad, int repeat)
{
    const int n = GraphsToPaint();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        if (n == 0)
            return;
        const bool back = shift || key == Qt::Key_Backtab;
        m_CurrentGraph = back ? (m_CurrentGraph <= 0 || m_CurrentGraph >= n ? n - 1 : m_CurrentGraph - 1)
                              : (m_CurrentGraph + 1 >= n || m_CurrentGraph < 0 ? 0 : m_CurrentGraph + 1);
        return;
    }
    TGrDia* a = GraphAxis(m_CurrentGraph);
    if (a == nullptr)
        return;
    TGrScrollBar* bar = m_Panes[m_CurrentGraph].bar;
    const double centre = (a->viewLo + a->viewHi) / 2;
    auto scroll = [&](int code) {
        a->Scroll(code, bar);
        Repaint();
    };
    switch (key) {
    case Qt::Key_Up:
        shift ? Zoom(-repeat, a, bar, centre) : scroll(ctrl ? SB_GR_PAGEUP : SB_GR_LINEUP);
        return;
    case Qt::Key_Down:
        shift ? Zoom(repeat, a, bar, centre) : scroll(ctrl ? SB_GR_PAGEDOWN : SB_GR_LINEDOWN);
        return;
    case Qt::Key_PageUp: shift ? Zoom(-repeat, a, bar, centre) : scroll(SB_GR_PAGEUP); return;
    case Qt::Key_PageDown: shift ? Zoom(repeat, a, bar, centre) : scroll(SB_GR_PAGEDOWN); return;
    case Qt::Key_Home: scroll(SB_GR_TOP); return;
    case Qt::Key_End: scroll(SB_GR_BOTTOM); return;
    case Qt::Key_Insert: scroll(SB_GR_CENTER); return;
    default: break;
    }
    if (!keypad)
        return;
    switch (key) {
    case Qt::Key_Plus: Zoom(-repeat, a, bar, centre); return;
    case Qt::Key_Minus: Zoom(repeat, a, bar, centre); return;
    case Qt::Key_Asterisk:
        a->viewLo = a->dataLo;
        a->viewHi = a->dataHi;
        a->isAuto = 0;
        a->isFull = 1;
        a->UpdateScrollBar(bar);
        Repaint();
        return;
    case Qt::Key_Slash:
        a->isAuto = 1;
        a->NormalizeFromCheck();
        a->UpdateScrollBar(bar);
        Repaint();
        return;
    default: return;
    }
}

void TGrWnd::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        ShowMenu(p);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (parentWidget() != nullptr)
        parentWidget()->setFocus();
    const int pane = PaneAt(p.y());
    if (pane >= 0)
        m_CurrentGraph = pane;
    m_CapturePane = pane >= 0 ? pane : kOutsidePanes;
    m_PressZone = ZoneAt(p);
    m_LastMouse = p;
}

void TGrWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (m_CapturePane < 0 || m_List == nullptr)
        return;
    const QPoint p = event->position().toPoint();
    const int dx = p.x() - m_LastMouse.x(), dy = p.y() - m_LastMouse.y();
    if (m_PressZone >= kZoneBoundary && m_PressZone < kZoneBoundary + kGrMaxPanes) {
        const int i = m_PressZone - kZoneBoundary;
        if (i + 1 < PaneCount()) {
            m_Panes[i].bottom += dy;
            m_Panes[i + 1].top += dy;
        }
        m_LastMouse = p;
        Repaint();
        return;
    }
    if (m_PressZone != kZoneY && width() > 0) {
        TGrDia& x = m_XAxis;
        x.isAuto = 0;
        const double shift = dx * (x.viewHi - x.viewLo) / width();
        x.viewLo -= shift;
        x.viewHi -= shift;
        x.NormalizeView(true);
        x.UpdateScrollBar(m_XBar);
    }
    TGrDia* a = m_CapturePane != kOutsidePanes ? GraphAxis(m_CapturePane) : nullptr;
    if (a != nullptr && m_PressZone != kZoneX && a->isAuto == 0) {
        const Pane& pane = m_Panes[m_CapturePane];
        const double shift = dy * (a->viewHi - a->viewLo) / std::max(1, pane.bottom - pane.top);
        a->viewLo += shift;
        a->viewHi += shift;
        a->NormalizeView(true);
        a->UpdateScrollBar(pane.bar);
    }
    Repaint();
    m_LastMouse = p;
}

void TGrWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_CapturePane = -1;
}
