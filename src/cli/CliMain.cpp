// brenna-cli: the program's operations without windows. The global option
// --port P (COMn or a device path) is shared by the device commands; each
// command's own options are listed by `brenna-cli help`.
#include "CliCommand.h"
#include "DeviceCommands.h"
#include "OSettings.h"
#include "OutputFile.h"

#include <QCoreApplication>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>

bool CliArgs::Has(const std::string& flag) const
{
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::optional<std::string> CliArgs::Option(const std::string& name) const
{
    const auto found = options.find(name);
    if (found == options.end())
        return std::nullopt;
    return found->second;
}

std::vector<std::string> CliArgs::Options(const std::string& name) const
{
    std::vector<std::string> values;
    for (const auto& [key, value] : all)
        if (key == name)
            values.push_back(value);
    return values;
}

std::map<std::string, CliCommandInfo>& CliCommands()
{
    static std::map<std::string, CliCommandInfo> commands;
    return commands;
}

CliRegistration::CliRegistration(const std::string& name, CliHelp help, CliHandler handler,
                                 std::vector<std::string> valueOptions)
{
    CliCommands()[name] = {std::move(help), std::move(handler), std::move(valueOptions)};
}

CliRegistration::CliRegistration(const std::string& name, const char* usage, CliHandler handler,
                                 std::vector<std::string> valueOptions)
{
    CliHelp help;
    help.usage = usage;
    const std::string port = "--port P ";
    if (help.usage.rfind(port, 0) == 0) {
        help.device = true;
        help.usage.erase(0, port.size());
    }
    if (const size_t colon = help.usage.find(": "); colon != std::string::npos) {
        help.description = help.usage.substr(colon + 2);
        help.usage.resize(colon);
    }
    CliCommands()[name] = {std::move(help), std::move(handler), std::move(valueOptions)};
}

int CliFail(const std::string& text)
{
    std::cerr << text;
    if (text.empty() || text.back() != '\n')
        std::cerr << '\n';
    return 1;
}

int main(int argc, char** argv)
{
    // The same settings as the window program, so both use one set of values.
    OSettings::SetApplicationName("brenna");
    // Messages about a silent device send the user to `stop`, not to a button.
    NoAnswerHint = kCommandLineNoAnswerHint;
    // Ctrl+C mid-stream leaves no partial output behind.
    RemovePartialFilesOnSignals();
#ifdef __GLIBC__
    // Blocks of 4 MiB and more straight from the system, whatever was freed
    // before: otherwise the classifier's large lists, once freed, raise the
    // heap's bar so far that a list growing to tens of MB (EDFlib's marks of
    // a week) grows inside the heap and leaves its outgrown copies resident.
    ::mallopt(M_MMAP_THRESHOLD, 4 << 20);
#endif

    std::vector<std::string> words(argv + 1, argv + argc);
    std::string commandName;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "--port") {
            ++i;
            continue;
        }
        if (w.rfind("--", 0) != 0) {
            commandName = w;
            break;
        }
    }
    // Asked for, the help is the answer (standard output); after a mistake
    // it explains it (standard error).
    if (commandName == "help" || commandName == "--help") {
        std::cout << CliHelpText();
        return 0;
    }
    if (commandName.empty()) {
        std::cerr << CliHelpText();
        return 2;
    }
    const auto command = CliCommands().find(commandName);
    if (command == CliCommands().end()) {
        std::cerr << "brenna-cli: unknown command '" << commandName << "'\n\n" << CliHelpText();
        return 2;
    }

    const std::unique_ptr<QCoreApplication> app(command->second.makeApplication
                                                    ? command->second.makeApplication(argc, argv)
                                                    : new QCoreApplication(argc, argv));

    std::vector<std::string> valueOptions = command->second.valueOptions;
    valueOptions.push_back("port");
    CliArgs args;
    bool seenCommand = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.rfind("--", 0) == 0 && w.size() > 2) {
            std::string name = w.substr(2);
            std::string value;
            const size_t equals = name.find('=');
            const bool inlineValue = equals != std::string::npos;
            if (inlineValue) {
                value = name.substr(equals + 1);
                name = name.substr(0, equals);
            }
            const bool takesValue = std::find(valueOptions.begin(), valueOptions.end(), name) != valueOptions.end();
            if (takesValue && !inlineValue) {
                if (i + 1 >= words.size()) {
                    std::cerr << "brenna-cli: option --" << name << " needs a value\n";
                    return 2;
                }
                value = words[++i];
            }
            if (takesValue || inlineValue) {
                args.options[name] = value;
                args.all.emplace_back(name, value);
            } else {
                args.flags.push_back(name);
            }
        } else if (!seenCommand && w == commandName) {
            seenCommand = true;
        } else {
            args.positional.push_back(w);
        }
    }
    return command->second.handler(args);
}
