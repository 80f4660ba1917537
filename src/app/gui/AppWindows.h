#pragma once
// The windows that the brenna executable opens besides the control window,
// each under a command-line option, all listed in one table in AppWindows.cpp:
//   brenna --analyse FILE          the analysis window with FILE
//   brenna --review FILE           the same, showing its first event
//   brenna --chart-demo            a chart with demonstration data
//   brenna --programmer            the firmware programmer
// A new window is one more row there. Every listed window can be rendered to
// a PNG with --screenshot.
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct AppWindowInfo {
    std::string option;    // "--analyse"
    std::string valueName; // "FILE"; empty when the option takes no value
    std::string help;
    // Makes the window; the value is the option's value ("" when it has none,
    // or when the control window opens the window itself).
    std::function<std::unique_ptr<QWidget>(const std::string& value)> make;
};

const std::vector<AppWindowInfo>& AppWindows();
const AppWindowInfo* FindAppWindow(const std::string& option);

// The firmware programmer, which follows the control window when that closes
// with "Смена прошивки".
inline constexpr const char* kProgrammerWindowOption = "--programmer";
// The analysis window, which button 1019 of the control window opens.
inline constexpr const char* kAnalysisWindowOption = "--analyse";

// The port chosen on the command line (--port), for every window that opens a
// port of its own: selected at start instead of the stored one, without
// writing the setting. Empty when none was given.
void SetStartPort(std::optional<int> portSelect);
std::optional<int> StartPort();

// Windows that stay open beside whichever main window runs (the analysis
// window): made on first use, shown and raised on every call, and kept until
// ReleaseKeptWindows, so that the control window closing with "Смена
// прошивки" leaves them and their results alone. Returns nullptr when no
// window is registered under the option.
QWidget* ShowKeptWindow(const std::string& option);
// The kept window made under option, or nullptr.
QWidget* KeptWindow(const std::string& option);
// Runs every kept window that is still shown until it is closed.
void RunVisibleKeptWindows();
// Destroys the kept windows (before the application object goes).
void ReleaseKeptWindows();

// Runs a window to its end: a dialog modally, any other window until it is
// closed. Returns the dialog's result (0 for other windows).
int RunAppWindow(QWidget& window);
