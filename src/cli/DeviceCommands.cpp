// Device commands of brenna-cli: the control window's protocol buttons
// without the window. All talk to the device on --port at 57600 baud.
#include "CliCommand.h"
#include "CliDialogs.h"
#include "CliNumber.h"
#include "DeviceCommands.h"
#include "ODevice.h"
#include "OComPort.h"
#include "PortNames.h"
#include "StrFormat.h"

#include <iostream>
#include <memory>

namespace {

// The port and the device on it, or a failure text.
struct Connection {
    OComPort port;
    ODevice device{port};
};

std::unique_ptr<Connection> Connect(const CliArgs& args, std::string& error)
{
    const std::optional<std::string> name = args.Option("port");
    if (!name || name->empty()) {
        error = "brenna-cli: --port P is needed (COMn or a device path)";
        return nullptr;
    }
    auto connection = std::make_unique<Connection>();
    const int number = ParseComPortName(*name);
    const bool opened =
        number > 0 ? connection->port.Open(number, BASE_BAUD) : connection->port.OpenPath(*name, BASE_BAUD);
    if (!opened) {
        error = connection->port.LastErrorText;
        return nullptr;
    }
    return connection;
}

// Runs body with an open connection and the CLI dialogs installed; a message
// with an error icon makes the command fail.
int WithDevice(const CliArgs& args, const std::function<int(ODevice&)>& body)
{
    CliDialogs dialogs(args.Has("yes"));
    std::string error;
    const auto connection = Connect(args, error);
    if (!connection)
        return CliFail(error);
    const int result = body(connection->device);
    return result == 0 && dialogs.ErrorShown() ? 1 : result;
}

int RefuseWithoutYes(const CliArgs& args, const char* what)
{
    if (args.Has("yes"))
        return 0;
    return CliFail(std::string("brenna-cli: ") + what + " changes the device; add --yes to confirm");
}

int RunStop(const CliArgs& args)
{
    return WithDevice(args, [](ODevice& device) {
        if (!device.StopExchange())
            return CliFail(std::string("Устройство ЭКГ не подтвердило команду STOP.\n") + NoAnswerHint);
        std::cout << "STOP-OK\n";
        return 0;
    });
}

int RunReadSector(const CliArgs& args)
{
    uint64_t sector = 0;
    uint64_t length = 512;
    if (args.positional.size() != 1 || !ParseCliNumber(args.positional[0], 0xFFFFFFFFull, sector))
        return CliFail("brenna-cli: read-sector needs a sector number, decimal or 0x-hexadecimal (65536 or 0x10000)");
    if (const auto len = args.Option("len"); len && (!ParseCliNumber(*len, 512, length) || length == 0))
        return CliFail("brenna-cli: --len takes 1 to 512");
    return WithDevice(args, [&](ODevice& device) {
        uint8_t data[512] = {};
        if (!device.ReadSector(static_cast<uint32_t>(sector), static_cast<int>(length), data))
            return CliFail(device.m_ReadErrorText);
        for (uint64_t i = 0; i < length; i += 16) {
            std::string line = StrFormat("%04x:", static_cast<unsigned>(i));
            for (uint64_t j = i; j < std::min<uint64_t>(i + 16, length); ++j)
                line += StrFormat(" %02x", data[j]);
            std::cout << line << '\n';
        }
        return 0;
    });
}

int RunReadCheck(const CliArgs& args)
{
    uint64_t frames = 1000000000;
    if (const auto limit = args.Option("frames"); limit && !ParseCliNumber(*limit, 1000000000, frames))
        return CliFail("brenna-cli: --frames takes a count");
    return WithDevice(args, [&](ODevice& device) {
        if (const auto speed = args.Option("speed")) {
            int position = -1;
            for (int i = 0; i < 4; ++i)
                if (*speed == kSpeedList[i].text)
                    position = i;
            if (position < 0)
                return CliFail("brenna-cli: --speed takes 57600, 460800, 806400 or 921600");
            device.m_FastSpeedSelectorPos = position;
        }
        const int seen = device.ReadCheckFrames(static_cast<int>(frames));
        if (seen < 0)
            return 1;
        std::cout << seen << " frames\n";
        return 0;
    });
}

int RunFirstFree(const CliArgs& args)
{
    const std::optional<std::string> newValue = args.Option("set");
    if (newValue) {
        if (const int refused = RefuseWithoutYes(args, "first-free --set"))
            return refused;
    }
    return WithDevice(args, [&](ODevice& device) {
        if (newValue) {
            const std::optional<std::string> shown = device.SetFirstFreeSectorByHand(*newValue);
            if (!shown)
                return 1;
            std::cout << *shown << '\n';
            return 0;
        }
        uint32_t value = 0;
        if (!device.GetFirstFreeSector(value))
            return 1;
        std::cout << StrFormat("0x%x", value) << '\n';
        return 0;
    });
}

int RunFormat(const CliArgs& args)
{
    if (const int refused = RefuseWithoutYes(args, "format"))
        return refused;
    return WithDevice(args, [](ODevice& device) {
        if (!device.FormatCard())
            return 1;
        std::cout << StrFormat("0x%x", FIRST_RECORDING_SECTOR) << '\n';
        return 0;
    });
}

int RunInitCard(const CliArgs& args)
{
    return WithDevice(args, [](ODevice& device) {
        const InitCardReport report = device.RequestInitReport();
        std::cout << report.text;
        std::cout.flush();
        return report.success ? 0 : 1;
    });
}

const CliRegistration g_Stop{
    "stop", {"stop", "puts the device into PC control and confirms it (prints STOP-OK)", kCliDevice}, &RunStop};
const CliRegistration g_ReadSector{"read-sector",
                                   {"read-sector SECTOR [--len L]",
                                    "hex dump of the first L bytes (1 to 512, all by default) of sector SECTOR, "
                                    "given in decimal or as 0x-hexadecimal (65536 = 0x10000), checked by its CRC",
                                    kCliDevice},
                                   &RunReadSector,
                                   {"len"}};
const CliRegistration g_ReadCheck{"read-check",
                                  {"read-check [--speed BAUD] [--frames N]",
                                   "streams sectors from the first one at BAUD (57600, 460800, 806400 or 921600) and "
                                   "dumps N frames to standard error",
                                   kCliDevice},
                                  &RunReadCheck,
                                  {"speed", "frames"}};
const CliRegistration g_FirstFree{"first-free",
                                  {"first-free [--set HEX --yes]",
                                   "prints the device's first free sector, or sets it to HEX (--yes confirms)",
                                   kCliDevice},
                                  &RunFirstFree,
                                  {"set"}};
const CliRegistration g_Format{"format",
                               {"format --yes",
                                "sets the first free sector back to 0x10000: the card is then written from its "
                                "start again (--yes confirms)",
                                kCliDevice},
                               &RunFormat};
const CliRegistration g_InitCard{
    "init-card", {"init-card", "initialises the card and prints the device's report", kCliDevice}, &RunInitCard};

} // namespace
