#pragma once
// The command line of the brenna executable.
#include <optional>
#include <string>
#include <vector>

struct AppWindowInfo;

struct StartOptions {
    std::optional<std::string> port;           // --port COMn | PATH
    std::optional<std::string> screenshot;     // --screenshot OUT.png
    std::optional<std::string> settingsFolder; // --settings-folder DIR
    const AppWindowInfo* window = nullptr;     // a registered window's option
    std::string windowValue;
    bool help = false;
    std::string error; // not empty when the command line is wrong
};

StartOptions ParseStartOptions(const std::vector<std::string>& arguments);
std::string StartUsage();

// --settings-folder: the settings and the date cache both under folder.
void UseSettingsFolder(const std::string& folder);

// The port number a --port value selects: n for "COMn"; for a device path the
// number whose path it already is, otherwise COM1, which then stands for that
// path in this run.
int PortNumberForArgument(const std::string& port);
