#include "TGrScrollBar.h"

#include "GrDefs.h"

#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

TGrScrollBar::TGrScrollBar(Qt::Orientation orientation, int id, QWidget* parent) : QScrollBar(orientation, parent)
{
    setObjectName(QStringLiteral("id%1").arg(id));
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setRange(0, kGrScrollMax);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);
    connect(this, &QAbstractSlider::actionTriggered, this, &TGrScrollBar::OnAction);
    connect(this, &QAbstractSlider::sliderReleased, this,
            [this] { emit scrollRequest(SB_GR_ENDSCROLL, sliderPosition()); });
}

void TGrScrollBar::SetScroll(int page, int position)
{
    const QSignalBlocker block(this);
    // The thumb covers [position, position + page) of 0..kGrScrollMax.
    setRange(0, std::max(0, kGrScrollMax - page + 1));
    setPageStep(std::max(1, page));
    setSingleStep(std::max(1, page / 20));
    setValue(position);
    setEnabled(true);
}

void TGrScrollBar::OnAction(int action)
{
    switch (action) {
    case SliderSingleStepAdd: emit scrollRequest(SB_GR_LINEDOWN, 0); break;
    case SliderSingleStepSub: emit scrollRequest(SB_GR_LINEUP, 0); break;
    case SliderPageStepAdd: emit scrollRequest(SB_GR_PAGEDOWN, 0); break;
    case SliderPageStepSub: emit scrollRequest(SB_GR_PAGEUP, 0); break;
    case SliderToMinimum: emit scrollRequest(SB_GR_TOP, 0); break;
    case SliderToMaximum: emit scrollRequest(SB_GR_BOTTOM, 0); break;
    case SliderMove: emit scrollRequest(SB_GR_THUMBTRACK, sliderPosition()); break;
    default: break;
    }
}

void TGrScrollBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && parentWidget() != nullptr)
        emit rightPressed(mapToParent(event->position().toPoint()));
    QScrollBar::mousePressEvent(event);
}

void TGrScrollBar::wheelEvent(QWheelEvent* event)
{
    // Zooming is the chart's; the bar itself does not scroll by wheel.
    event->accept();
}
