#pragma once
// The download of a sector stream into a recording file: takes whole frames
// out of the port's ring, checks token, CRC and signature of each, appends the
// sector and counts it. It stops at the first frame that fails a check, so the
// file only ever holds verified sectors, in order.
#include <cstdint>
#include <string>

class OComPort;
class ORecordingFile;

// Name of a card data error token ("(out of range)" for 0x08), empty when the
// value has none.
const char* DataErrorTokenName(uint8_t token);

class ODownload {
public:
    enum class State { Running, Finished, Stopped };

    // total = sectors to receive; 0 = unknown (runs until a check fails).
    ODownload(OComPort& port, ORecordingFile& file, uint32_t totalSectors, uint32_t nowMs);

    // Takes every whole frame waiting (a frame not yet complete stays for the
    // next call). Cheap enough to call many times a second.
    State Drain();
    // The progress text with the speed since the previous call; called once a
    // second.
    std::string ProgressText(uint32_t nowMs);
    int ProgressPosition() const;
    int ProgressMaximum() const;

    State GetState() const { return m_State; }
    const std::string& StopText() const { return m_StopText; }
    uint32_t ReceivedSectors() const { return m_ReceivedSectors; }
    uint32_t TotalSectors() const { return m_TotalSectors; }

private:
    State Stop(std::string text);

    OComPort& m_Port;
    ORecordingFile& m_File;
    uint32_t m_TotalSectors;
    uint32_t m_ReceivedSectors = 0;
    uint32_t m_SectorsSinceProgress = 0;
    uint32_t m_LastTickTime;
    State m_State = State::Running;
    std::string m_StopText;
};

inline constexpr const char* kDownloadStartText = "Сейчас начнется скачивание файла с SD-карты ...";
inline constexpr const char* kDownloadAbortQuestion = "Прервать скачивание файла?";
