#include "TGrWnd.h"

#include "GrRanges.h"
#include "OGrList.h"
#include "TGrResources.h"
#include "TGrScrollBar.h"
#include "TGrUpDown.h"
#include "TGrWheelHook.h"

#include <QKeyEvent>
#include <QPainter>

TGrWnd::TGrWnd(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TGrWnd"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_XBar = new TGrScrollBar(Qt::Horizontal, kGrIdXScroll, this);
    m_XUpDown = new TGrUpDown(Qt::Horizontal, kGrIdXUpDown, this);
    connect(m_XBar, &TGrScrollBar::scrollRequest, this, &TGrWnd::OnXScroll);
    connect(m_XBar, &TGrScrollBar::rightPressed, this, &TGrWnd::ShowMenu);
    connect(m_XUpDown, &TGrUpDown::deltaRequested, this, &TGrWnd::OnXUpDown);
    m_XAxis.UpdateScrollBar(m_XBar);
    GrHookAdd(this);
}

TGrWnd::~TGrWnd() { GrHookRemove(this); }

void TGrWnd::SetGrList(OGrList* list)
{
    m_CapturePane = -1;
    m_CurrentGraph = 0;
    m_List = list;
    GrCollectRanges(list, &m_XAxis, &m_PointOrders);
    m_XAxis.UpdateScrollBar(m_XBar);

    const int graphs = list != nullptr ? std::min(list->GetGrCount(), kGrMaxPanes) : 0;
    while (PaneCount() > graphs) {
        delete m_Panes.back().bar;
        delete m_Panes.back().upDown;
        m_Panes.pop_back();
    }
    while (PaneCount() < graphs) {
        const int g = PaneCount();
        Pane pane;
        pane.bar = new TGrScrollBar(Qt::Vertical, kGrIdPaneScrollBase + g, this);
        pane.upDown = new TGrUpDown(Qt::Vertical, kGrIdPaneUpDownBase + g, this);
        connect(pane.bar, &TGrScrollBar::scrollRequest, this,
                [this, g](int code, int trackPos) { OnPaneScroll(g, code, trackPos); });
        connect(pane.bar, &TGrScrollBar::rightPressed, this, &TGrWnd::ShowMenu);
        connect(pane.upDown, &TGrUpDown::deltaRequested, this, [this, g](int delta) { OnPaneUpDown(g, delta); });
        pane.bar->show();
        pane.upDown->show();
        m_Panes.push_back(pane);
    }
    for (int g = 0; g < PaneCount(); ++g)
        list->GetGrDia(g)->UpdateScrollBar(m_Panes[g].bar);
    Layout();
}

void TGrWnd::Zoom(double steps, TGrDia* axis, TGrScrollBar* bar, double anchor)
{
    axis->ZoomAbout(steps, anchor);
    axis->UpdateScrollBar(bar);
    Repaint();
}

void TGrWnd::ShowXRange(double lo, double hi)
{
    m_XAxis.isAuto = 0;
    m_XAxis.isFull = 0;
    m_XAxis.viewLo = lo;
    m_XAxis.viewHi = hi;
    m_XAxis.NormalizeView(false);
    m_XAxis.UpdateScrollBar(m_XBar);
    Repaint();
}

QRect TGrWnd::PlotRect(int g) const
{
    if (g < 0 || g >= PaneCount())
        return {};
    const Pane& p = m_Panes[g];
    return QRect(QPoint(m_LeftEdge, p.top), QPoint(p.right - 1, p.bottom - 1));
}

QImage TGrWnd::RenderImage()
{
    QImage image;
    RenderInto(image);
    return image;
}

void TGrWnd::RenderInto(QImage& image)
{
    if (image.size() != size() || image.format() != QImage::Format_RGB32)
        image = QImage(size(), QImage::Format_RGB32);
    Paint(image);
}

bool TGrWnd::event(QEvent* event)
{
    if (event->type() == TGrWheelEvent::kType) {
        OnWheel(*static_cast<TGrWheelEvent*>(event));
        return true;
    }
    return QWidget::event(event);
}

void TGrWnd::paintEvent(QPaintEvent*)
{
    RenderInto(m_Frame);
    QPainter painter(this);
    painter.drawImage(0, 0, m_Frame);
}

void TGrWnd::resizeEvent(QResizeEvent*) { Layout(); }

void TGrWnd::wheelEvent(QWheelEvent* event)
{
    // The wheel filter has already posted the zoom.
    event->accept();
}

void TGrWnd::focusInEvent(QFocusEvent*)
{
    // Keys belong to the owner, which forwards them.
    if (parentWidget() != nullptr)
        parentWidget()->setFocus();
}

void TGrWnd::ForwardKey(const QKeyEvent* event)
{
    GrKey(event->key(), event->modifiers(), std::max(1, event->count()), event->type() == QEvent::KeyRelease);
}
