#pragma once
// The recording list: walks backwards from the first free sector, recording by
// recording, with a few short sector reads each, and reads every sector of a
// gap the probes jumped over (one short read per gap sector), so that a short
// recording there is listed too. Runs on a worker thread in the window program
// and in the foreground of the command line.
#include "RecordingRows.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class ODevice;

// States of a scan shared between the thread that asks and the one that scans.
enum ListScanState : int { kScanIdle = 0, kScanRunning = 1, kScanCancelRequested = 2, kScanThreadExit = -1 };

struct ScanResult {
    int recordings = 0;
    bool cancelled = false;
    // The device fell silent or the line went away before the scan reached
    // the start of the recording area: the sectors from kFirstRecordingSector
    // up to unreadBelow - 1 were not examined, so they are neither free nor
    // known to be empty.
    bool incomplete = false;
    uint32_t unreadBelow = 0;
    // Reason of the scan's last sector read when it failed, else empty.
    std::string readErrorText;
};

using RowSink = std::function<void(const RecordingRow&)>;
using StartTimeLookup = std::function<std::optional<int64_t>(uint32_t firstSector)>;

// Emits the first row, one row per recording (newest first) and, when `state`
// stops being kScanRunning, the "стоп" row; when a read goes unanswered, the
// scan ends there with the "обрыв" row (IncompleteListRow). The date cache is read through
// `lookup` (the date cache files when empty).
ScanResult ScanRecordings(ODevice& device, uint32_t firstFreeSector, const std::atomic<int>& state, const RowSink& sink,
                          StartTimeLookup lookup = {});

// Title of the list button while a scan runs, and otherwise.
inline constexpr const char* kListButtonText = "Считать с SD-карты список файлов";
inline constexpr const char* kListButtonCancelText = "Прервать чтение списка";
// One line on a list that ended early, naming the sectors it did not read
// ("Список неполон: ..."); empty for a list that is whole or was cancelled.
std::string IncompleteListText(const ScanResult& result);

inline constexpr const char* kListReadErrorCaption = "ОШИБКА ЧТЕНИЯ SD-карты при загрузке списка файлов";
