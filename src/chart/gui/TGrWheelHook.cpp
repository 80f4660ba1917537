#include "TGrWheelHook.h"

#include <QCoreApplication>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

class WheelFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

struct HookState {
    std::vector<QWidget*> charts;
    std::unique_ptr<WheelFilter> filter;
};

// Chart windows live on the GUI thread; each thread gets its own table.
HookState& State()
{
    thread_local HookState state;
    return state;
}

bool WheelFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel || !watched->isWidgetType())
        return false;
    const auto* wheel = static_cast<QWheelEvent*>(event);
    const int delta = wheel->angleDelta().y();
    if (delta == 0)
        return false;
    // The widget under the wheel, or its parent (a control of the chart).
    auto* widget = static_cast<QWidget*>(watched);
    for (QWidget* candidate : {widget, widget->parentWidget()}) {
        if (candidate != nullptr && GrHookIsRegistered(candidate)) {
            QCoreApplication::postEvent(candidate, new TGrWheelEvent(delta, wheel->modifiers(), wheel->buttons(),
                                                                     wheel->globalPosition().toPoint()));
            break;
        }
    }
    // The wheel event itself goes on unchanged.
    return false;
}

} // namespace

void GrHookAdd(QWidget* chart)
{
    HookState& s = State();
    if (chart == nullptr || static_cast<int>(s.charts.size()) >= kGrMaxHookedWindows || GrHookIsRegistered(chart))
        return;
    s.charts.push_back(chart);
    if (s.charts.size() == 1 && QCoreApplication::instance() != nullptr) {
        s.filter = std::make_unique<WheelFilter>();
        QCoreApplication::instance()->installEventFilter(s.filter.get());
    }
}

void GrHookRemove(QWidget* chart)
{
    HookState& s = State();
    s.charts.erase(std::remove(s.charts.begin(), s.charts.end(), chart), s.charts.end());
    if (s.charts.empty() && s.filter) {
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::instance()->removeEventFilter(s.filter.get());
        s.filter.reset();
    }
}

bool GrHookIsRegistered(const QWidget* chart)
{
    const HookState& s = State();
    return std::find(s.charts.begin(), s.charts.end(), chart) != s.charts.end();
}

bool GrHookIsInstalled() { return State().filter != nullptr; }
