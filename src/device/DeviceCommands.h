#pragma once
// The request framing and the command codes of the ECG device, with the fixed
// bytes of its replies. Shared by the PC side (ODevice) and the simulator.
#include <array>
#include <cstdint>
#include <vector>

// Every request starts with this byte; the firmware monitor also takes it alone
// as a wake-up.
inline constexpr uint8_t CMD_PREFIX = 0xCD;

inline constexpr uint8_t CMD_START_LIVE = 0x0A;
inline constexpr uint8_t CMD_STOP = 0x0B;
inline constexpr uint8_t CMD_READ_SECTOR = 0x0C;
inline constexpr uint8_t CMD_FILL_SECTOR = 0x0D;
inline constexpr uint8_t CMD_INIT_CARD = 0x10;
inline constexpr uint8_t CMD_WRITE_SOUND = 0x17;
inline constexpr uint8_t CMD_STREAM_SECTORS = 0x19;
inline constexpr uint8_t CMD_PLAY_SOUND = 0x1B;
inline constexpr uint8_t CMD_GET_FIRST_FREE = 0x22;
inline constexpr uint8_t CMD_SET_FIRST_FREE = 0x23;
inline constexpr uint8_t MON_READ_WORD = 0xE6;
inline constexpr uint8_t MON_WRITE_WORD = 0xE7;
inline constexpr uint8_t MON_RUN = 0xEB;

// Number of parameter bytes after the command code, or -1 for a code the
// device does not know.
int CommandParamLength(uint8_t code);

inline constexpr std::array<uint8_t, 4> STOP_OK = {0x5E, 0x44, 0xE7, 0x23};
// Sent by the device as 99 AA 12 55 right after it changed its line speed.
inline constexpr uint32_t SPEED_CHECK_PATTERN = 0x5512AA99;
// The SD card's start-block token: the sector's data follow.
inline constexpr uint8_t DATA_TOKEN = 0xFE;
// Ends a partial sector read in place of the CRC.
inline constexpr std::array<uint8_t, 2> PARTIAL_READ_SIGNATURE = {0xAA, 0x79};
inline constexpr uint8_t TAG_STREAM = 'S';
inline constexpr uint8_t TAG_INIT = 'W';
inline constexpr uint8_t TAG_FIRST_FREE = 'q';

inline constexpr int BASE_BAUD = 57600;
// Speed code c: 0 stays at 57600 baud, otherwise c x 115200 baud.
inline constexpr int SpeedCodeBaud(int code)
{
    return code == 0 ? BASE_BAUD : code * 115200;
}
inline constexpr uint8_t SpeedCodeEcho(int code)
{
    return static_cast<uint8_t>(code * 0x11);
}

// Recordings start here; the sectors below keep the card's own formatting.
inline constexpr uint32_t FIRST_RECORDING_SECTOR = 0x10000;
inline constexpr uint32_t RECORDING_SIGNATURE = 0xA73955AA;

// The check word that protects CMD_SET_FIRST_FREE against a garbled value.
inline constexpr uint32_t FirstFreeCheckWord(uint32_t value)
{
    return value ^ (value >> 1) ^ 0xA1E8BDCA;
}

// Complete request frames.
std::vector<uint8_t> MakeRequest(uint8_t code);
std::vector<uint8_t> MakeReadSectorRequest(uint32_t sector, uint8_t wordCount);
std::vector<uint8_t> MakeStreamRequest(uint32_t firstSector, uint8_t halfBytes, uint8_t speedCode);
std::vector<uint8_t> MakeSetFirstFreeRequest(uint32_t value);

void PutU32(uint8_t* out, uint32_t value);
uint32_t GetU32(const uint8_t* in);

// Appended to the messages about a silent or confused device. It tells the
// window's user which button to press; brenna-cli points it at the text for
// the command line before anything runs.
extern const char* NoAnswerHint;
extern const char* const kWindowNoAnswerHint;
extern const char* const kCommandLineNoAnswerHint;
