#pragma once
// A whole download without a window: create the file, start the stream, drain
// it until the recording is complete, a check fails or the caller cancels,
// close the file and end the stream with STOP. The command line and the
// benchmark use it; the window program drives ODownload from its own timer.
#include "ODownload.h"
#include "RecordingRows.h"

#include <atomic>
#include <functional>
#include <string>

class ODevice;

struct DownloadOutcome {
    bool started = false;  // the file was created and the stream started
    bool complete = false; // every sector arrived and passed its checks
    uint32_t received = 0;
    std::string stopText;    // why the transfer stopped early
    bool cancelled = false;  // the caller (the user) ended it
    bool portFailed = false; // the port reported a hang-up or a read error
    std::string summaryText; // file, amount and time, or what the file holds
};

using ProgressSink = std::function<void(const std::string& text, uint32_t received)>;

// `progress` is called about once a second; `cancel` (optional) ends the
// transfer early, keeping what arrived.
DownloadOutcome DownloadToFile(ODevice& device, const DownloadRange& range, const std::string& path,
                               const ProgressSink& progress, const std::atomic<bool>* cancel = nullptr,
                               DownloadWatch watch = {});

// The end of a download the caller drove: its outcome from the engine's state.
DownloadOutcome EndedDownload(const ODownload& download, uint32_t nowMs);
