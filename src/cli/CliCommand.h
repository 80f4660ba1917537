#pragma once
// brenna-cli commands. Each command lives in its own file and registers itself:
//   static CliRegistration reg{"stop", "--port P stop: ...", &RunStop};
// A command gets the arguments after its name and the options given before or
// after it; it prints its result on standard output, messages on standard
// error, and returns the exit code (0 success, 1 failure, 2 usage).
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct CliArgs {
    std::vector<std::string> positional;           // after the command name
    std::map<std::string, std::string> options;    // "--speed 921600" -> {"speed", "921600"}
    std::vector<std::string> flags;                // "--yes" -> "yes"

    bool Has(const std::string& flag) const;
    std::optional<std::string> Option(const std::string& name) const;
    // All values of an option that may repeat ("--set A=1 --set B=2").
    std::vector<std::string> Options(const std::string& name) const;
    std::vector<std::pair<std::string, std::string>> all; // every option in order
};

using CliHandler = std::function<int(const CliArgs&)>;

struct CliRegistration {
    // valueOptions: the options of this command that take a value (without "--").
    CliRegistration(const std::string& name, const std::string& usage, CliHandler handler,
                    std::vector<std::string> valueOptions = {});
};

class QCoreApplication;

struct CliCommandInfo {
    std::string usage;
    CliHandler handler;
    std::vector<std::string> valueOptions;
    // A command that draws sets this to get a widgets application (offscreen);
    // every other command runs under a plain QCoreApplication.
    QCoreApplication* (*makeApplication)(int& argc, char** argv) = nullptr;
};
std::map<std::string, CliCommandInfo>& CliCommands();

// Prints a failure text on standard error (with a line end) and returns 1.
int CliFail(const std::string& text);
