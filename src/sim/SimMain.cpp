// brenna-sim: the simulated ECG device.
//   brenna-sim make-card CARD [--size BYTES] [--demo]
//   brenna-sim serve CARD [--link PATH] [--fast] [--no-speed-check]
//                         [--init-report HEX] [--fault F ...] [--protect FROM-TO] [--ectopy]
// serve prints "PORT <path>" first, then serves until SIGINT or SIGTERM.
#include "DemoCard.h"
#include "EctopyRecording.h"
#include "OSimServer.h"
#include "SimLive.h"
#include "SimMonitorHook.h"
#include "SimTestCommands.h"

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t g_Quit = 0;

void OnSignal(int)
{
    g_Quit = 1;
}

int Usage()
{
    std::fputs(
        "usage: brenna-sim make-card CARD [--size BYTES[K|M|G]] [--demo]\n"
        "       brenna-sim serve CARD [--link PATH] [--fast] [--no-speed-check] [--init-report HEX]\n"
        "                             [--fault F ...] [--ectopy]\n"
        "--ectopy: live recordings get premature beats, and in their first ten minutes runs,\n"
        "        bigeminy, trigeminy and atrial fibrillation\n"
        "live stream faults: live-garbage, live-truncate, card-missing\n"
        "faults: silent, wrong-tag, short, crc N, swap-crc, garbage, unstable-first-free, ignore-set,\n"
        "        bad-speed-echo, bad-pattern, stream-error-at N, hangup-after N, stall-after N, token N, flip N\n"
        "firmware monitor: [--protect FROM-TO|none] (default 0-0xFF), faults monitor-silent-after N,\n"
        "        monitor-bad-reply\n",
        stderr);
    return 2;
}

int Fail(const std::string& text)
{
    std::fprintf(stderr, "brenna-sim: %s\n", text.c_str());
    return 1;
}

bool ParseSize(const std::string& text, uint64_t& size)
{
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (end == text.c_str())
        return false;
    uint64_t unit = 1;
    const std::string suffix = end;
    if (suffix == "K" || suffix == "k")
        unit = 1024;
    else if (suffix == "M" || suffix == "m")
        unit = 1024 * 1024;
    else if (suffix == "G" || suffix == "g")
        unit = 1024ull * 1024 * 1024;
    else if (!suffix.empty())
        return false;
    size = value * unit;
    return true;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& bytes)
{
    std::string digits;
    for (const char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            digits += c;
    if (digits.empty() || digits.size() % 2 != 0)
        return false;
    bytes.clear();
    for (size_t i = 0; i < digits.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = digits.substr(i, 2);
        const long value = std::strtol(pair.c_str(), &end, 16);
        if (*end != '\0')
            return false;
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return true;
}

int MakeCard(const std::vector<std::string>& args)
{
    if (args.empty())
        return Usage();
    uint64_t size = OSimCard::kDefaultSize;
    bool demo = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--demo") {
            demo = true;
        } else if (args[i] == "--size" && i + 1 < args.size()) {
            if (!ParseSize(args[++i], size))
                return Fail("bad size " + args[i]);
        } else {
            return Usage();
        }
    }
    std::string error;
    if (!OSimCard::Create(args[0], size, error))
        return Fail(error);
    DemoLayout layout;
    if (demo && !WriteDemoCard(args[0], layout, error))
        return Fail(error);
    return 0;
}

int Serve(const std::vector<std::string>& args)
{
    if (args.empty())
        return Usage();
    SimFaults faults;
    SimServeOptions options;
    std::string link;
    std::vector<uint8_t> initReport;
    SimMonitorOptions monitorOptions;
    bool ectopy = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--fast") {
            options.fast = true;
        } else if (word == "--ectopy") {
            ectopy = true;
        } else if (word == "--no-speed-check") {
            options.checkLineSpeed = false;
        } else if (word == "--link" && i + 1 < args.size()) {
            link = args[++i];
        } else if (word == "--init-report" && i + 1 < args.size()) {
            if (!ParseHexBytes(args[++i], initReport))
                return Fail("bad init report " + args[i]);
        } else if (word == "--protect" && i + 1 < args.size()) {
            if (!ParseProtectRange(args[++i], monitorOptions))
                return Fail("bad protected range " + args[i]);
        } else if (word == "--fault" && i + 1 < args.size()) {
            const std::string faultText = args[++i];
            const char* number = i + 1 < args.size() ? args[i + 1].c_str() : nullptr;
            bool usedNumber = false;
            std::string error;
            if (AddMonitorFault(monitorOptions, faultText, number, usedNumber, error)) {
                if (!error.empty())
                    return Fail(error);
            } else if (!AddSimFault(faults, faultText, number, usedNumber, error)) {
                return Fail(error);
            }
            if (usedNumber)
                ++i;
        } else {
            return Usage();
        }
    }

    OSimServer server(args[0], faults, options);
    OSimLive live(server.Device());
    if (ectopy)
        live.SetRhythm(EctopySchedule(600, 70));
    OSimTestCommands testCommands(server.Device());
    OSimMonitorHook monitor(server.Device(), monitorOptions);
    if (!initReport.empty())
        server.Device().SetInitReport(initReport);
    std::string error;
    if (!server.Start(error))
        return Fail(error);
    if (!link.empty()) {
        struct stat info {};
        if (::lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
            ::unlink(link.c_str());
        if (::symlink(server.PortPath().c_str(), link.c_str()) != 0)
            return Fail("cannot link " + link + " to " + server.PortPath() + ": " + std::strerror(errno));
    }
    std::printf("PORT %s\n", server.PortPath().c_str());
    std::fflush(stdout);

    while (!g_Quit && !server.Finished())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    server.Stop();
    if (!link.empty())
        ::unlink(link.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    // The card comes first; an option in its place ("--help") is a request
    // for the usage, never a file name.
    if (args.empty() || args[0].rfind("-", 0) == 0)
        return Usage();
    if (command == "make-card")
        return MakeCard(args);
    if (command == "serve")
        return Serve(args);
    return Usage();
}
