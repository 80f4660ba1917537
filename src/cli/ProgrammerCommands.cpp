// Firmware commands of brenna-cli: the programmer window's buttons without
// the window. All talk to the device's monitor on --port at 57600 baud.
#include "CliCommand.h"
#include "CliDialogs.h"
#include "IntelHex.h"
#include "OComPort.h"
#include "OProgrammer.h"
#include "PortNames.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

constexpr int kMonitorBaud = 57600;

// Opens --port and runs body with a programmer on it; the exit code is body's.
int WithProgrammer(const CliArgs& args, const std::function<int(OProgrammer&)>& body)
{
    CliDialogs dialogs(args.Has("yes"));
    const std::optional<std::string> name = args.Option("port");
    if (!name || name->empty())
        return CliFail("brenna-cli: --port P is needed (COMn or a device path)");
    // The port holds a 4 MiB ring: keep it off the stack.
    auto port = std::make_unique<OComPort>();
    const int number = ParseComPortName(*name);
    if (!(number > 0 ? port->Open(number, kMonitorBaud) : port->OpenPath(*name, kMonitorBaud)))
        return CliFail(port->LastErrorText);
    OProgrammer programmer(*port);
    if (const std::optional<std::string> timeout = args.Option("reply-timeout")) {
        char* end = nullptr;
        const long ms = std::strtol(timeout->c_str(), &end, 10);
        if (timeout->empty() || *end != '\0' || ms < 1 || ms > 60000)
            return CliFail("brenna-cli: --reply-timeout takes milliseconds, 1 to 60000");
        programmer.m_ReplyTimeoutMs = static_cast<int>(ms);
    }
    return body(programmer);
}

// Loads FILE (the only positional argument) over the erased image.
bool LoadImage(const CliArgs& args, const char* command, OProgrammer& programmer, int& exitCode)
{
    if (args.positional.size() != 1) {
        std::fprintf(stderr, "brenna-cli %s: one HEX file is needed\n", command);
        exitCode = 2;
        return false;
    }
    if (!LoadHexFile(args.positional[0], programmer.m_Image).opened) {
        exitCode = CliFail("brenna-cli " + std::string(command) + ": cannot read " + args.positional[0]);
        return false;
    }
    return true;
}

int VerifyExitCode(const VerifyResult& result)
{
    return result.outcome == VerifyResult::Outcome::Equal ? 0 : 1;
}

int RunFlash(const CliArgs& args)
{
    if (!args.Has("yes"))
        return CliFail("brenna-cli flash: this overwrites the device's program; add --yes to go ahead");
    return WithProgrammer(args, [&](OProgrammer& programmer) {
        int exitCode = 0;
        if (!LoadImage(args, "flash", programmer, exitCode))
            return exitCode;
        const WriteResult result = programmer.WriteDevice();
        if (!result.written)
            return 1;
        std::printf("written %d words, %d protected\n", kProgramWords, result.protectedWords);
        if (VerifyExitCode(result.verify) != 0)
            return 1;
        std::printf("FLASH-OK\n");
        return 0;
    });
}

int RunVerify(const CliArgs& args)
{
    return WithProgrammer(args, [&](OProgrammer& programmer) {
        int exitCode = 0;
        if (!LoadImage(args, "verify", programmer, exitCode))
            return exitCode;
        const VerifyResult result = programmer.VerifyDevice();
        if (result.outcome == VerifyResult::Outcome::Differs)
            std::printf("DIFFERS at byte %d\n", result.firstDifference);
        if (VerifyExitCode(result) != 0)
            return 1;
        std::printf("VERIFY-OK\n");
        return 0;
    });
}

int RunReadFlash(const CliArgs& args)
{
    if (args.positional.size() != 1) {
        CliFail("brenna-cli read-flash: one output file is needed");
        return 2;
    }
    return WithProgrammer(args, [&](OProgrammer& programmer) {
        if (!programmer.ReadDevice())
            return 1;
        std::string error;
        if (!SaveIntelHex(args.positional[0], programmer.m_Image, error))
            return CliFail(error);
        std::printf("READ-OK\n");
        return 0;
    });
}

int RunRun(const CliArgs& args)
{
    return WithProgrammer(args, [](OProgrammer& programmer) {
        programmer.RunDevice();
        std::printf("RUN-OK\n");
        return 0;
    });
}

// Every firmware command takes --reply-timeout MS (default 100) for slow links.
const std::vector<std::string> kOptions = {"reply-timeout"};
const CliRegistration g_Flash{"flash",
                              {"flash FILE.hex --yes [--reply-timeout MS]",
                               "writes the firmware FILE.hex into the device through its monitor, then verifies it "
                               "(--yes confirms); MS is the wait for each reply, 100 by default",
                               kCliDevice},
                              &RunFlash,
                              kOptions};
const CliRegistration g_Verify{
    "verify",
    {"verify FILE.hex [--reply-timeout MS]", "compares the device's program with FILE.hex", kCliDevice},
    &RunVerify,
    kOptions};
const CliRegistration g_ReadFlash{
    "read-flash",
    {"read-flash OUT.hex [--reply-timeout MS]", "saves the device's program into OUT.hex", kCliDevice},
    &RunReadFlash,
    kOptions};
const CliRegistration g_Run{
    "run", {"run [--reply-timeout MS]", "starts the program in the device", kCliDevice}, &RunRun, kOptions};

} // namespace
