#include "TGrUpDown.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWheelEvent>

TGrUpDown::TGrUpDown(Qt::Orientation orientation, int id, QWidget* parent)
    : QWidget(parent), m_Orientation(orientation)
{
    setObjectName(QStringLiteral("id%1").arg(id));
    setFocusPolicy(Qt::NoFocus);
    m_Repeat.setInterval(100);
    connect(&m_Repeat, &QTimer::timeout, this, [this] {
        m_Repeat.setInterval(60);
        if (m_Pressed != 0)
            emit deltaRequested(m_Pressed);
    });
}

int TGrUpDown::DeltaAt(QPoint p) const
{
    if (m_Orientation == Qt::Horizontal)
        return p.x() >= width() / 2 ? 1 : -1;
    return p.y() < height() / 2 ? 1 : -1;
}

void TGrUpDown::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool horizontal = m_Orientation == Qt::Horizontal;
    const QRect first = horizontal ? QRect(0, 0, width() / 2, height()) : QRect(0, 0, width(), height() / 2);
    const QRect second = horizontal ? QRect(width() / 2, 0, width() - width() / 2, height())
                                    : QRect(0, height() / 2, width(), height() - height() / 2);
    const struct {
        QRect rect;
        QStyle::PrimitiveElement arrow;
        int delta;
    } halves[2] = {{first, horizontal ? QStyle::PE_IndicatorArrowLeft : QStyle::PE_IndicatorArrowUp, horizontal ? -1 : 1},
                   {second, horizontal ? QStyle::PE_IndicatorArrowRight : QStyle::PE_IndicatorArrowDown,
                    horizontal ? 1 : -1}};
    for (const auto& half : halves) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = half.rect;
        button.state |= m_Pressed == half.delta ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = half.rect.adjusted(2, 2, -2, -2);
        style()->drawPrimitive(half.arrow, &arrow, &painter, this);
    }
}

void TGrUpDown::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_Pressed = DeltaAt(event->position().toPoint());
    update();
    emit deltaRequested(m_Pressed);
    m_Repeat.setInterval(400);
    m_Repeat.start();
}

void TGrUpDown::mouseReleaseEvent(QMouseEvent*)
{
    m_Pressed = 0;
    m_Repeat.stop();
    update();
}

void TGrUpDown::wheelEvent(QWheelEvent* event) { event->accept(); }
