#pragma once
// brenna-cli commands. Each command lives in its own file and registers itself
// with its help: the usage line (the command's name, its arguments and
// options, without --port), one description, and whether it talks to the
// device (then `brenna-cli help` lists it among the commands that take
// --port P, which is said once for all of them):
//   const CliRegistration g_Stop{"stop", {"stop", "puts the device into PC control", kCliDevice}, &RunStop};
//   const CliRegistration g_Report{"report", {"report FILE [--out OUT.txt]", "writes ..."}, &RunReport, {"out"}};
// `brenna-cli help` prints each as its usage line and then the description
// wrapped at 80 columns below it (CliHelp.cpp).
// A command gets the arguments after its name and the options given before or
// after it; it prints its result on standard output, messages on standard
// error, and returns the exit code (0 success, 1 failure, 2 usage).
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct CliArgs {
    std::vector<std::string> positional;        // after the command name
    std::map<std::string, std::string> options; // "--speed 921600" -> {"speed", "921600"}
    std::vector<std::string> flags;             // "--yes" -> "yes"

    bool Has(const std::string& flag) const;
    std::optional<std::string> Option(const std::string& name) const;
    // All values of an option that may repeat ("--set A=1 --set B=2").
    std::vector<std::string> Options(const std::string& name) const;
    std::vector<std::pair<std::string, std::string>> all; // every option in order
};

using CliHandler = std::function<int(const CliArgs&)>;

inline constexpr bool kCliDevice = true;

struct CliHelp {
    std::string usage;       // "read-sector SECTOR [--len L]"
    std::string description; // one paragraph, wrapped by the help
    bool device = false;     // talks to the device: needs --port P
};

struct CliRegistration {
    // valueOptions: the options of this command that take a value (without "--").
    CliRegistration(const std::string& name, CliHelp help, CliHandler handler,
                    std::vector<std::string> valueOptions = {});
    // The older one-string form "[--port P ]usage: description".
    CliRegistration(const std::string& name, const char* usage, CliHandler handler,
                    std::vector<std::string> valueOptions = {});
};

class QCoreApplication;

struct CliCommandInfo {
    CliHelp help;
    CliHandler handler;
    std::vector<std::string> valueOptions;
    // A command that draws sets this to get a widgets application (offscreen);
    // every other command runs under a plain QCoreApplication.
    QCoreApplication* (*makeApplication)(int& argc, char** argv) = nullptr;
};
std::map<std::string, CliCommandInfo>& CliCommands();

// Prints a failure text on standard error (with a line end) and returns 1.
int CliFail(const std::string& text);

// The whole of `brenna-cli help`, from the registrations.
std::string CliHelpText();
// text as lines of at most width columns (characters, not bytes), the first
// beginning with indent blanks, the others with continuationIndent; words
// longer than a line stand alone.
std::string WrapCliText(const std::string& text, size_t indent, size_t width, size_t continuationIndent);
