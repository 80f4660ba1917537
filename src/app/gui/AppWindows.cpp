#include "AppWindows.h"

#include <QDialog>
#include <QEvent>
#include <QEventLoop>

#include <map>

namespace {
std::vector<AppWindowInfo>& Registry()
{
    static std::vector<AppWindowInfo> windows;
    return windows;
}

std::optional<int>& StartPortValue()
{
    static std::optional<int> port;
    return port;
}

std::map<std::string, std::unique_ptr<QWidget>>& KeptWindows()
{
    static std::map<std::string, std::unique_ptr<QWidget>> windows;
    return windows;
}
} // namespace

void SetStartPort(std::optional<int> portSelect)
{
    StartPortValue() = portSelect;
}

std::optional<int> StartPort()
{
    return StartPortValue();
}

QWidget* KeptWindow(const std::string& option)
{
    const auto found = KeptWindows().find(option);
    return found == KeptWindows().end() ? nullptr : found->second.get();
}

QWidget* ShowKeptWindow(const std::string& option)
{
    QWidget* window = KeptWindow(option);
    if (window == nullptr) {
        const AppWindowInfo* info = FindAppWindow(option);
        if (info == nullptr)
            return nullptr;
        std::unique_ptr<QWidget> made = info->make("");
        if (made == nullptr)
            return nullptr;
        window = made.get();
        KeptWindows()[option] = std::move(made);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void RunVisibleKeptWindows()
{
    for (auto& [option, window] : KeptWindows())
        if (window != nullptr && window->isVisible())
            RunAppWindow(*window);
}

void ReleaseKeptWindows()
{
    // Taken out first: a window's destructor may run the event loop.
    std::map<std::string, std::unique_ptr<QWidget>> windows;
    windows.swap(KeptWindows());
    windows.clear();
}

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
