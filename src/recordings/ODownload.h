#pragma once
// The download of a sector stream into a recording file: takes whole frames
// out of the port's ring, checks token, CRC and signature of each, appends the
// sector and counts it. It stops at the first frame that fails a check, so the
// file only ever holds verified sectors, in order. It also watches the line:
// a device that falls silent, or a port that reports a hang-up or a read
// error, ends the download with a message naming the cause.
#include <cstdint>
#include <string>

class OComPort;
class ORecordingFile;

// Name of a card data error token ("(out of range)" for 0x08), empty when the
// value has none.
const char* DataErrorTokenName(uint8_t token);

// How long the line may be silent: the progress text says so after
// noteAfterMs, the download ends after stopAfterMs.
struct DownloadWatch {
    uint32_t noteAfterMs = 2000;
    uint32_t stopAfterMs = 10000;
};

class ODownload {
public:
    enum class State { Running, Finished, Stopped };

    // total = sectors to receive; 0 = unknown (runs until a check fails).
    ODownload(OComPort& port, ORecordingFile& file, uint32_t totalSectors, uint32_t nowMs, DownloadWatch watch = {});

    // Takes every whole frame waiting (a frame not yet complete stays for the
    // next call). Cheap enough to call many times a second.
    State Drain();
    // Drain, then the watch on the line: a port error stops at once (after
    // the frames that arrived before it), silence stops after stopAfterMs.
    State Tick(uint32_t nowMs);
    // The progress text with the speed since the previous call; called once a
    // second. After noteAfterMs of silence it ends with how long it has been.
    std::string ProgressText(uint32_t nowMs);
    // One line on how the download ended (or that the user ended it while it
    // ran): file, amount and time.
    std::string SummaryText(uint32_t nowMs) const;
    // The port's reader stopped on a hang-up or a read error.
    bool PortFailed() const { return m_PortError != 0; }
    int ProgressPosition() const;
    int ProgressMaximum() const;

    State GetState() const { return m_State; }
    const std::string& StopText() const { return m_StopText; }
    uint32_t ReceivedSectors() const { return m_ReceivedSectors; }
    uint32_t TotalSectors() const { return m_TotalSectors; }

private:
    State Stop(std::string text);
    uint32_t SilentMs(uint32_t nowMs) const { return nowMs - m_LastArrival; }
    // "Проверенных секторов в файле: N (K кбайт)".
    std::string KeptText() const;

    OComPort& m_Port;
    ORecordingFile& m_File;
    uint32_t m_TotalSectors;
    DownloadWatch m_Watch;
    uint32_t m_ReceivedSectors = 0;
    uint32_t m_SectorsSinceProgress = 0;
    uint32_t m_StartTime;
    uint32_t m_LastTickTime;
    // Bytes taken plus waiting at the last look, and when that count last grew.
    uint64_t m_TakenBytes = 0;
    uint64_t m_BytesSeen = 0;
    uint32_t m_LastArrival;
    uint32_t m_PortError = 0;
    State m_State = State::Running;
    std::string m_StopText;
};

inline constexpr const char* kDownloadStartText = "Сейчас начнется скачивание файла с SD-карты ...";
inline constexpr const char* kDownloadAbortQuestion = "Прервать скачивание файла?";
