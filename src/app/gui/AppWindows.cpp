#include "AppWindows.h"

#include "CProgrammerDlg.h"
#include "CShowDataWindow.h"
#include "ChartDemo.h"

#include <QDialog>
#include <QEvent>
#include <QEventLoop>

#include <map>

namespace {
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

const std::vector<AppWindowInfo>& AppWindows()
{
    // In the order --help lists them.
    static const std::vector<AppWindowInfo> windows = {
        // The control window's "Обработка файлов ЭКГ ..." opens it through the same entry.
        {kAnalysisWindowOption, "FILE", "open the analysis window on FILE and process it",
         [](const std::string& file) -> std::unique_ptr<QWidget> {
             if (file.empty())
                 return std::make_unique<CShowDataWindow>();
             return std::make_unique<CShowDataWindow>(file);
         }},
        // The same, straight at the events: with --screenshot, the picture
        // of a review.
        {"--review", "FILE", "open the analysis window on FILE, process it and show its first AF episode "
                             "(or its first event)",
         [](const std::string& file) -> std::unique_ptr<QWidget> {
             auto window = std::make_unique<CShowDataWindow>(file);
             window->ReviewAfterPass();
             return window;
         }},
        // The chart over synthetic series, to judge it on its own.
        {"--chart-demo", "", "a chart over synthetic 24-hour series",
         [](const std::string&) -> std::unique_ptr<QWidget> {
             return std::unique_ptr<QWidget>(CreateChartDemoWindow());
         }},
        // Also the window after "Смена прошивки".
        {kProgrammerWindowOption, "", "the firmware programmer",
         [](const std::string&) -> std::unique_ptr<QWidget> {
             return std::make_unique<CProgrammerDlg>(ProgrammerDlgOptions{StartPort()});
         }},
    };
    return windows;
}

const AppWindowInfo* FindAppWindow(const std::string& option)
{
    for (const AppWindowInfo& info : AppWindows())
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
