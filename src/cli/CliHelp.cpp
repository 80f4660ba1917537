// The text of `brenna-cli help`: the commands that talk to the device, then
// those that work on files, each as its usage line with its description
// wrapped below it.
#include "CliCommand.h"

#include <sstream>

namespace {

constexpr size_t kWidth = 80;
constexpr size_t kUsageIndent = 2;
constexpr size_t kDescriptionIndent = 6;

// Characters of UTF-8 text (continuation bytes do not count).
size_t Columns(const std::string& text)
{
    size_t n = 0;
    for (const unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}

void AppendCommands(std::string& text, bool device)
{
    for (const auto& [name, info] : CliCommands()) {
        if (info.help.device != device)
            continue;
        text += WrapCliText(info.help.usage, kUsageIndent, kWidth, kUsageIndent + 2);
        if (!info.help.description.empty())
            text += WrapCliText(info.help.description, kDescriptionIndent, kWidth, kDescriptionIndent);
    }
}

} // namespace

std::string WrapCliText(const std::string& text, size_t indent, size_t width, size_t continuationIndent)
{
    std::istringstream words(text);
    std::string word, line, out;
    std::string margin(indent, ' ');
    while (words >> word) {
        if (!line.empty() && Columns(margin + line + " " + word) > width) {
            out += margin + line + "\n";
            line.clear();
            margin.assign(continuationIndent, ' ');
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty())
        out += margin + line + "\n";
    return out;
}

std::string CliHelpText()
{
    std::string text = "usage: brenna-cli [--port P] COMMAND [ARGUMENTS]\n\n";
    text += WrapCliText("Commands print their results on standard output and their messages on standard error, and "
                        "exit with 0 on success, 1 on failure and 2 on a mistake in the command line.",
                        0, kWidth, 0);
    text += "\nCommands that talk to the ECG device (--port P):\n";
    text += WrapCliText("P is the device's serial port: COMn (COM1 is /dev/ttyUSB0 unless the settings say "
                        "otherwise) or a device path such as /dev/ttyACM0.",
                        kUsageIndent, kWidth, kUsageIndent);
    text += "\n";
    AppendCommands(text, true);
    text += "\nCommands on files:\n";
    AppendCommands(text, false);
    return text;
}
