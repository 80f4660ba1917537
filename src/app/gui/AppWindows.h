#pragma once
// The windows that the brenna executable opens besides the control window,
// each under a command-line option, all listed in one table in AppWindows.cpp:
//   brenna --analyse FILE          the analysis window with FILE
//   brenna --chart-demo            a chart with demonstration data
//   brenna --programmer            the firmware programmer
// A new window is one more row there. Every listed window can be rendered to
// a PNG with --screenshot.
#include <QWidget>

#include <functional>
#include <memory>
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

// Runs a window to its end: a dialog modally, any other window until it is
// closed. Returns the dialog's result (0 for other windows).
int RunAppWindow(QWidget& window);
