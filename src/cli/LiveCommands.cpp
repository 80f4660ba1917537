// brenna-cli live: starts the device's recording and live stream and prints
// the status line of every packet, as the control window shows it in its
// status edit; the date cache is written exactly as the window writes it.
#include "CliCommand.h"
#include "Fatal.h"
#include "ODevice.h"
#include "OComPort.h"
#include "OLiveView.h"
#include "PortNames.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::atomic<bool> g_Interrupted{false};

void OnInterrupt(int)
{
    g_Interrupted.store(true);
}

class PrintingSink : public OLiveSink {
public:
    void DrawLiveChart() override {}
    void ShowStatus(const std::string& line) override
    {
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
};

bool OpenPort(OComPort& port, const std::string& name)
{
    const int number = ParseComPortName(name);
    return number > 0 ? port.Open(number, 57600) : port.OpenPath(name, 57600);
}

int RunLive(const CliArgs& args)
{
    const auto portName = args.Option("port");
    if (!portName)
        return CliFail("live: --port P is needed");
    double seconds = -1;
    if (const auto value = args.Option("seconds")) {
        char* end = nullptr;
        seconds = std::strtod(value->c_str(), &end);
        if (end == value->c_str() || *end != '\0' || !(seconds >= 0))
            return CliFail("live: --seconds needs a number of seconds");
    }
    // The port object holds a 4 MiB ring: keep it off the stack.
    static OComPort port;
    if (!OpenPort(port, *portName))
        return CliFail(port.LastErrorText);

    static OLiveView view;
    PrintingSink sink;
    g_Interrupted.store(false);
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);

    view.Start(port);
    const uint32_t start = TickCountMs();
    const uint32_t limitMs = seconds < 0 ? 0 : static_cast<uint32_t>(seconds * 1000.0);
    while (!g_Interrupted.load()) {
        const uint32_t now = TickCountMs();
        view.Pump(port, args.Has("filter"), sink, now);
        // A pulled cable ends the live view, as in the window.
        if (const uint32_t error = port.LastReadError.load(); error != 0) {
            std::signal(SIGINT, SIG_DFL);
            std::signal(SIGTERM, SIG_DFL);
            return CliFail("Ошибка при чтении данных с выбранного порта\n" + SystemErrorText(error));
        }
        if (seconds >= 0 && now - start >= limitMs)
            break;
        for (int i = 0; i < 20 && !g_Interrupted.load(); ++i)
            PausePoll();
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    if (args.Has("stop")) {
        ODevice device(port);
        if (!device.StopExchange())
            return CliFail("live: the device did not confirm STOP");
        std::fputs("STOP-OK\n", stdout);
    }
    port.Close();
    return 0;
}

CliRegistration g_Live{"live",
                       {"live [--seconds S] [--stop] [--filter]",
                        "starts recording and prints the live status lines for S seconds (until Ctrl-C without "
                        "--seconds); --stop ends with the verified STOP exchange, --filter filters the trace",
                        kCliDevice},
                       &RunLive,
                       {"seconds"}};

} // namespace
