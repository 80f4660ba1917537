#pragma once
// The ECG device as the PC sees it: request/reply exchanges over the serial
// port. The control window, the list scan, the download and the command line
// all use this one implementation.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class OComPort;

// One entry of the download speed list: its text and the speed code c sent to
// the device (0 = stay at 57600 baud, otherwise c x 115200 baud).
struct SpeedListEntry {
    const char* text;
    int code;
};
inline constexpr SpeedListEntry kSpeedList[4] = {{"57600", 0}, {"460800", 4}, {"806400", 7}, {"921600", 8}};

// The device's account of its card initialisation, as shown to the user.
struct InitCardReport {
    std::string text;
    // The exchange worked and the device reports a good card.
    bool success = false;
};

class ODevice {
public:
    explicit ODevice(OComPort& port) : m_Port(port) {}
    OComPort& Port() { return m_Port; }

    // The speed code the port runs at (0 = 57600 baud).
    int m_FastSpeedActive = 0;
    // Index 0..3 into kSpeedList: the speed of the next stream.
    int m_FastSpeedSelectorPos = 3;
    // Reason of the last failed ReadSector.
    std::string m_ReadErrorText;
    // The last failed ReadSector heard no reply, or not all of it, or the
    // port's reader had stopped on a hang-up: the line is silent or dead, as
    // against a device that answered with a refusal or bad data.
    bool m_ReadUnanswered = false;
    // Called with 1 when STOP puts the device into PC control (the control
    // window switches its mode there).
    std::function<void(int)> m_SetMode;

    // STOP button: back to 57600, send STOP, control mode; no reply awaited.
    void SendStop();
    // Verified STOP after a stream: true after at least two STOP-OK answers.
    bool StopExchange();
    // Starts a sector stream at the selected speed; false after a message.
    bool StartStream(uint32_t firstSector, int bytesPerSector);

    // Reads the first length bytes of a sector; false with m_ReadErrorText set.
    bool ReadSector(uint32_t sector, int length, uint8_t* destination);
    // Read check button: a short stream dumped to the console.
    void ReadCheck();
    // The same with a limit on the frames; returns the frames seen, or -1
    // when the stream did not start.
    int ReadCheckFrames(int maxFrames);
    // The read check in its three steps, for a window that runs the dump on a
    // worker thread: the start (may show a message, so on the window's
    // thread), the dump until the device falls silent for 2 s, maxFrames or
    // a cancel (returns the frames seen), and the end with STOP.
    bool StartReadCheck();
    int DumpReadCheckFrames(int maxFrames, const std::atomic<bool>* cancel = nullptr);
    void EndReadCheck();
    // n belongs to a recording whose first sector is consistent.
    bool IsRecordingSector(uint32_t n, uint8_t header[8]);
    // n carries the recording signature and a first sector S with
    // 65536 <= S <= n (the list scan's quick check; one short read).
    bool IsRecordingMember(uint32_t n, uint8_t header[8]);

    // Three agreeing reads; shows its own message on failure.
    bool GetFirstFreeSector(uint32_t& value);
    // Sets and verifies by reading back; shows its own message in every case.
    bool SetFirstFreeSector(uint32_t value);
    // Button actions; each returns the new text of the first-free-sector edit
    // when it should change.
    std::optional<std::string> ShowFirstFreeSector();
    std::optional<std::string> SetFirstFreeSectorByHand(const std::string& editText);
    std::optional<std::string> FormatCard();

    // Init button: asks the device to initialise its card and shows the report.
    void InitCard();
    // The exchange of InitCard without showing anything.
    InitCardReport RequestInitReport();

private:
    // A nonzero speed code: back to 57600 and drop what came at the old speed.
    void ReturnToBaseSpeed();
    void SendRequest(const std::vector<uint8_t>& request);
    // The message for a reply that did not arrive in full: missing or wrong.
    std::string MissingOrWrong(const char* missing, const char* wrong) const;

    OComPort& m_Port;
};

// CRC-16/XMODEM of a 512-byte sector, as SD cards send it.
uint16_t SectorCrc(const uint8_t* sector512);

// The number in the first-free-sector edit, read as hexadecimal with an
// optional 0x prefix; nothing when no number can be read or it exceeds 32 bits.
std::optional<uint32_t> ParseHexSectorText(const std::string& text);
