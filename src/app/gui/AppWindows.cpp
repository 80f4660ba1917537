#include "AppWindows.h"

#include <QDialog>
#include <QEvent>
#include <QEventLoop>

namespace {
std::vector<AppWindowInfo>& Registry()
{
    static std::vector<AppWindowInfo> windows;
    return windows;
}
} // namespace

AppWindowRegistration::AppWindowRegistration(AppWindowInfo info)
{
    Registry().push_back(std::move(info));
}

const std::vector<AppWindowInfo>& AppWindows()
{
    return Registry();
}

const AppWindowInfo* FindAppWindow(const std::string& option)
{
    for (const AppWindowInfo& info : Registry())
        if (info.option == option)
            return &info;
    return nullptr;
}

int RunAppWindow(QWidget& window)
{
    if (auto* dialog = qobject_cast<QDialog*>(&window)) {
        // Shown without application modality, so that windows it opens
        // (the analysis window) stay usable beside it.
        QEventLoop loop;
        QObject::connect(dialog, &QDialog::finished, &loop, &QEventLoop::exit);
        dialog->show();
        return loop.exec();
    }
    window.setAttribute(Qt::WA_QuitOnClose, false);
    QEventLoop loop;
    // A window may refuse to close: look once the close event has been handled.
    struct CloseWatcher : QObject {
        QWidget* window;
        QEventLoop* loop;
        CloseWatcher(QWidget* w, QEventLoop* l) : window(w), loop(l) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Close)
                QMetaObject::invokeMethod(
                    loop,
                    [this] {
                        if (!window->isVisible())
                            loop->quit();
                    },
                    Qt::QueuedConnection);
            return false;
        }
    } watcher(&window, &loop);
    window.installEventFilter(&watcher);
    window.show();
    loop.exec();
    window.removeEventFilter(&watcher);
    return 0;
}
