#pragma once
// The ECG device as the PC sees it: request/reply exchanges over the serial
// port. The control window, the list scan, the download and the command line
// all use this one implementation.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class OComPort;

// One entry of the download speed list: its text and the speed code c sent to
// the device (0 = stay at 57600 baud, otherwise c x 115200 baud).
struct SpeedListEntry {
    const char* text;
    int code;
};
inline constexpr SpeedListEntry kSpeedList[4] = {{"57600", 0}, {"460800", 4}, {"806400", 7}, {"921600", 8}};

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
    // Called with 1 when STOP puts the device into PC control (the control
    // window switches its mode there).
    std::function<void(int)> m_SetMode;

    void SendStop();
    bool StopExchange();
    bool StartStream(uint32_t firstSector, int bytesPerSector);

    bool ReadSector(uint32_t sector, int length, uint8_t* destination);
    void ReadCheck();
    bool IsRecordingSector(uint32_t n, uint8_t header[8]);

    bool GetFirstFreeSector(uint32_t& value);
    bool SetFirstFreeSector(uint32_t value);
    // Button actions; each returns the new text of the first-free-sector edit
    // when it should change.
    std::optional<std::string> ShowFirstFreeSector();
    std::optional<std::string> SetFirstFreeSectorByHand(const std::string& editText);
    std::optional<std::string> FormatCard();

    void InitCard();

private:
    OComPort& m_Port;
};

// CRC-16/XMODEM of a 512-byte sector, as SD cards send it.
uint16_t SectorCrc(const uint8_t* sector512);
