// brenna-cli list, download, fill-test, upload-sound, play-sound: the
// recording list and the download as the control window offers them, and the
// device's hidden test commands.
#include "CliCommand.h"
#include "DownloadSession.h"
#include "OComPort.h"
#include "ODevice.h"
#include "ODialogs.h"
#include "OSettings.h"
#include "ScanRecordings.h"
#include "TestCommands.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::atomic<int> g_ScanState{kScanIdle};
std::atomic<bool> g_Interrupted{false};

void OnInterrupt(int)
{
    g_Interrupted.store(true);
    int running = kScanRunning;
    g_ScanState.compare_exchange_strong(running, kScanCancelRequested);
}

// The port object holds a 4 MiB ring: it lives in static storage.
OComPort* OpenDevicePort(const CliArgs& args, const char* command)
{
    static OComPort port;
    const auto name = args.Option("port");
    if (!name) {
        CliFail(std::string(command) + ": --port P is needed");
        return nullptr;
    }
    const bool opened = name->size() > 3 && name->compare(0, 3, "COM") == 0
                            ? port.Open(std::atoi(name->c_str() + 3), 57600)
                            : port.OpenPath(*name, 57600);
    if (!opened) {
        CliFail(port.LastErrorText);
        return nullptr;
    }
    std::signal(SIGINT, OnInterrupt);
    return &port;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void PrintRow(const RecordingRow& row, bool trim)
{
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
        if (i)
            line += '\t';
        line += trim ? Trimmed(row[i]) : row[i];
    }
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Reads the first free sector and lists the recordings below it; false when
// the first free sector could not be read (its message was shown).
bool ScanList(ODevice& device, const RowSink& sink, ScanResult& result)
{
    uint32_t firstFree = 0;
    if (!device.GetFirstFreeSector(firstFree))
        return false;
    g_ScanState.store(kScanRunning);
    result = ScanRecordings(device, firstFree, g_ScanState, sink);
    g_ScanState.store(kScanIdle);
    if (!result.readErrorText.empty())
        Dialogs().Message(result.readErrorText, kListReadErrorCaption, MsgIcon::Error);
    return true;
}

int RunList(const CliArgs& args)
{
    OComPort* port = OpenDevicePort(args, "list");
    if (!port)
        return 1;
    ODevice device(*port);
    // The titles come with the first row, once the device has answered.
    bool titled = false;
    const auto print = [&titled](const RecordingRow& row) {
        if (!titled) {
            RecordingRow header;
            std::copy(kRecordingColumnTitles.begin(), kRecordingColumnTitles.end(), header.begin());
            PrintRow(header, true);
            titled = true;
        }
        PrintRow(row, false);
    };
    ScanResult result;
    if (!ScanList(device, print, result))
        return 1;
    // After the read error, so that a cut list ends with what it misses.
    if (result.incomplete)
        return CliFail("list: " + IncompleteListText(result));
    return result.cancelled ? 1 : 0;
}

int SpeedSelectorPos(const CliArgs& args)
{
    if (const auto speed = args.Option("speed")) {
        for (int i = 0; i < 4; ++i)
            if (*speed == kSpeedList[i].text)
                return i;
        return -1;
    }
    return std::clamp(OSettings::GetInt("Options", "m_FastSpeedSelectorPos", 100), 0, 3);
}

int RunDownload(const CliArgs& args)
{
    if (args.positional.size() != 2)
        return CliFail("usage: download N OUT [--speed 57600|460800|806400|921600]");
    char* end = nullptr;
    const long number = std::strtol(args.positional[0].c_str(), &end, 10);
    if (*end != '\0' || number < 0)
        return CliFail("download: N must be a row number, 0 for the first row");
    const int speedPos = SpeedSelectorPos(args);
    if (speedPos < 0)
        return CliFail("download: --speed must be 57600, 460800, 806400 or 921600");
    OComPort* port = OpenDevicePort(args, "download");
    if (!port)
        return 1;
    ODevice device(*port);
    device.m_FastSpeedSelectorPos = speedPos;
    std::vector<RecordingRow> rows;
    ScanResult scan;
    if (!ScanList(
            device, [&rows](const RecordingRow& row) { rows.push_back(row); }, scan))
        return 1;
    const auto range = size_t(number) < rows.size() ? RowDownloadRange(rows[size_t(number)]) : std::nullopt;
    if (!range)
        return CliFail("download: the list has no recording number " + args.positional[0]);
    const DownloadOutcome outcome = DownloadToFile(
        device, *range, args.positional[1],
        [](const std::string& text, uint32_t) {
            const std::string progress = text.substr(text.find('\n') + 1);
            std::fprintf(stderr, "%s\n", progress.c_str());
            std::fflush(stderr);
        },
        &g_Interrupted);
    if (!outcome.started)
        return 1;
    // The first row has no last sector: its total is unknown, not 0.
    if (range->total != 0)
        std::fprintf(stderr, "Загружено %u кбайт из %u\n", outcome.received / 2, range->total / 2);
    else
        std::fprintf(stderr, "Загружено %u кбайт\n", outcome.received / 2);
    if (outcome.complete)
        return 0;
    return CliFail(outcome.stopText.empty() ? "download: interrupted" : outcome.stopText);
}

int RunFillTest(const CliArgs& args)
{
    const int blocks = std::atoi(args.Option("blocks").value_or("0").c_str());
    if (blocks < 0)
        return CliFail("fill-test: --blocks K must not be negative");
    OComPort* port = OpenDevicePort(args, "fill-test");
    if (!port)
        return 1;
    const int written = FillTest(*port, blocks, &g_Interrupted);
    std::printf("%d\n", written);
    return blocks != 0 && written == blocks ? 0 : 1;
}

int RunUploadSound(const CliArgs& args)
{
    if (args.positional.size() != 1)
        return CliFail("usage: upload-sound FILE.wav");
    OComPort* port = OpenDevicePort(args, "upload-sound");
    if (!port)
        return 1;
    return UploadSound(*port, args.positional[0]) ? 0 : 1;
}

int RunPlaySound(const CliArgs& args)
{
    OComPort* port = OpenDevicePort(args, "play-sound");
    if (!port)
        return 1;
    PlaySound(*port);
    return 0;
}

CliRegistration g_List{"list",
                       {"list",
                        "the recordings on the card, tab-separated, newest first, as the control window lists "
                        "them; Ctrl-C stops the scan",
                        kCliDevice},
                       &RunList};
CliRegistration g_Download{"download",
                           {"download N OUT [--speed 57600|460800|806400|921600]",
                            "downloads recording N into OUT (an .экг file, or WAV when OUT ends in .wav); N = row "
                            "number of `list` (1 = the first recording)",
                            kCliDevice},
                           &RunDownload,
                           {"speed"}};
CliRegistration g_FillTest{"fill-test",
                           {"fill-test [--blocks K]", "the card write-speed test over K blocks", kCliDevice},
                           &RunFillTest,
                           {"blocks"}};
CliRegistration g_UploadSound{
    "upload-sound",
    {"upload-sound FILE.wav", "writes the samples of FILE.wav into the sound flash", kCliDevice},
    &RunUploadSound};
CliRegistration g_PlaySound{"play-sound", {"play-sound", "plays the uploaded sound", kCliDevice}, &RunPlaySound};

} // namespace
