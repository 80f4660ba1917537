#include "StartOptions.h"

#include "AppWindows.h"
#include "DateCache.h"
#include "OSettings.h"
#include "PortNames.h"

#include <algorithm>

namespace {
constexpr int kListedPorts = 16;
} // namespace

StartOptions ParseStartOptions(const std::vector<std::string>& arguments)
{
    StartOptions options;
    for (size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (const size_t equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        const auto takeValue = [&]() -> std::string {
            if (value)
                return *value;
            if (i + 1 >= arguments.size()) {
                options.error = "option " + name + " needs a value";
                return {};
            }
            return arguments[++i];
        };
        if (name == "--help") {
            options.help = true;
        } else if (name == "--port") {
            options.port = takeValue();
        } else if (name == "--screenshot") {
            options.screenshot = takeValue();
        } else if (name == "--settings-folder") {
            options.settingsFolder = takeValue();
        } else if (const AppWindowInfo* window = FindAppWindow(name)) {
            if (options.window != nullptr) {
                options.error = "only one window option at a time";
                break;
            }
            if (!window->valueName.empty() && !value && i + 1 == arguments.size()) {
                // The desktop entry's "--analyse %f" started from the menu
                // comes without a file: the program starts as usual.
                continue;
            }
            options.window = window;
            if (!window->valueName.empty())
                options.windowValue = takeValue();
            else if (value)
                options.error = "option " + name + " takes no value";
        } else {
            options.error = "unknown argument '" + arguments[i] + "'";
        }
    }
    return options;
}

std::string StartUsage()
{
    std::string text = "usage: brenna [options]\n"
                       "  --port P                 start with port P selected: COMn or a device path\n"
                       "  --screenshot OUT.png     render the window to OUT.png and exit\n"
                       "  --settings-folder DIR    keep the settings and the date cache under DIR\n";
    for (const AppWindowInfo& window : AppWindows()) {
        std::string option = window.option + (window.valueName.empty() ? "" : " " + window.valueName);
        option.resize(std::max<size_t>(option.size(), 24), ' ');
        text += "  " + option + " " + window.help + "\n";
    }
    return text;
}

void UseSettingsFolder(const std::string& folder)
{
    OSettings::SetStorageFolder(folder);
    // Laid out as under the user's folders; the folder beside the executable
    // is not read either, so that nothing is shared with another setup.
    const std::string cache = folder + "/Kelvaro/Terravik_Dremlo/DATECACHE";
    SetDateCacheFolders(cache, cache);
}

int PortNumberForArgument(const std::string& port)
{
    if (const int n = ParseComPortName(port); n > 0)
        return n;
    for (int n = 1; n <= kListedPorts; ++n)
        if (ComPortPath(n) == port)
            return n;
    SetComPortPathOverride(1, port);
    return 1;
}
