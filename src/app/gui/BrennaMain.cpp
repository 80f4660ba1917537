// brenna: the control window, and after "Смена прошивки" the firmware
// programmer. Other windows open directly with their own options (--help).
#include "AppWindows.h"
#include "CControlDlg.h"
#include "OConsole.h"
#include "OSettings.h"
#include "QtDialogs.h"
#include "QtRussian.h"
#include "Screenshot.h"
#include "SectorCrc.h"
#include "StartOptions.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

bool HasQtOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-' && argv[i][1] != '-')
            return true;
    return false;
}

int Usage(const StartOptions& options)
{
    if (options.help) {
        std::cout << StartUsage();
        return 0;
    }
    std::cerr << "brenna: " << options.error << '\n' << StartUsage();
    return 2;
}

int Screenshot(QWidget& window, const std::string& path)
{
    std::string error;
    if (!SaveWindowScreenshot(window, path, error)) {
        std::cerr << "brenna: " << error << '\n';
        return 1;
    }
    return 0;
}

// Ends the program's use of the Qt dialogs before the application goes.
struct DialogsInstalled {
    OQtDialogs dialogs;
    DialogsInstalled() { SetDialogs(&dialogs); }
    ~DialogsInstalled() { SetDialogs(nullptr); }
};

} // namespace

int main(int argc, char** argv)
{
    // Help and mistakes are answered before Qt looks for a screen; Qt's own
    // options (single dash) are only known once it has taken them away.
    const StartOptions early = ParseStartOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (early.help || (!early.error.empty() && !HasQtOptions(argc, argv)))
        return Usage(early);

    // A screenshot needs no screen: without one, render offscreen.
    if (early.screenshot && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    InstallQtRussian();
    OSettings::SetApplicationName(QFileInfo(QApplication::applicationFilePath()).completeBaseName().toStdString());

    const StartOptions options = ParseStartOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.error.empty())
        return Usage(options);
    if (options.settingsFolder)
        UseSettingsFolder(*options.settingsFolder);

    // A screenshot run never waits for a click: its messages go to the console.
    std::unique_ptr<DialogsInstalled> dialogs;
    if (!options.screenshot)
        dialogs = std::make_unique<DialogsInstalled>();

    const std::vector<uint8_t> crcTable = BuildCrcTableBytes();
    LoadCrcTable(crcTable.data(), crcTable.size());

    if (options.port)
        SetStartPort(PortNumberForArgument(*options.port));
    // Windows kept beside the main one (the analysis window) go before the
    // application does.
    struct KeptWindowsReleased {
        ~KeptWindowsReleased() { ReleaseKeptWindows(); }
    } keptWindows;

    if (options.window != nullptr) {
        std::unique_ptr<QWidget> window = options.window->make(options.windowValue);
        if (window == nullptr)
            return 1;
        if (options.screenshot)
            return Screenshot(*window, *options.screenshot);
        RunAppWindow(*window);
        return 0;
    }

    ControlDlgOptions controlOptions;
    controlOptions.portSelect = StartPort();
    auto control = std::make_unique<CControlDlg>(controlOptions);
    if (options.screenshot)
        return Screenshot(*control, *options.screenshot);
    const int result = RunAppWindow(*control);
    // The programmer takes the port the control window had.
    const int portSelect = control->m_PortSelect;
    // The window lets its port go before the programmer opens its own.
    control.reset();
    if (result == QDialog::Rejected)
        return 0;

    const AppWindowInfo* programmer = FindAppWindow(kProgrammerWindowOption);
    if (programmer == nullptr) {
        Console().Write("Окно смены прошивки в эту сборку не входит\n");
        return 0;
    }
    SetStartPort(portSelect);
    if (std::unique_ptr<QWidget> window = programmer->make(""))
        RunAppWindow(*window);
    // An analysis window still open keeps its results until the user closes it.
    RunVisibleKeptWindows();
    return 0;
}
