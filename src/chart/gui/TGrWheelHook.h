#pragma once
// Wheel zoom for chart windows wherever the wheel event is delivered: one
// application-wide event filter per GUI thread, present while at least one
// chart window is registered, that posts (never runs) a TGrWheelEvent to the
// registered chart under the wheel. At most kGrMaxHookedWindows charts.
#include "GrDefs.h"

#include <QEvent>
#include <QPoint>

class QWidget;

// The posted wheel request: delta in eighths of a degree (120 per notch),
// the modifier keys and buttons held, the point in global coordinates.
class TGrWheelEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(int(QEvent::User) + int(WM_GR_WHEEL));
    TGrWheelEvent(int delta, Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons, QPoint globalPos)
        : QEvent(kType), delta(delta), modifiers(modifiers), buttons(buttons), globalPos(globalPos)
    {
    }
    int delta;
    Qt::KeyboardModifiers modifiers;
    Qt::MouseButtons buttons;
    QPoint globalPos;
};

// Registers a chart window; ignored for null or when the table is full.
void GrHookAdd(QWidget* chart);
void GrHookRemove(QWidget* chart);
bool GrHookIsRegistered(const QWidget* chart);
// Whether the filter is installed on this thread.
bool GrHookIsInstalled();
