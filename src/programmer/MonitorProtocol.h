#pragma once
// The bytes of the device's firmware monitor. Requests start with the command
// prefix like every device command; the prefix alone wakes the monitor up.
#include <cstdint>

namespace Monitor {

constexpr uint8_t kPrefix = 0xCD; // also the wake-up byte
constexpr uint8_t kEndOfWakeUp = 0x00;
constexpr uint8_t kReadWord = 0xE6;  // uint16 word address -> uint16 word
constexpr uint8_t kWriteWord = 0xE7; // uint16 address, uint16 word -> one byte
constexpr uint8_t kRun = 0xEB;       // no reply
constexpr uint8_t kWritten = 0xAA;
constexpr uint8_t kProtected = 0xEE;
constexpr int kReplyTimeoutMs = 100;

// Bytes sent at start-up and by the hidden "USER CMD" button.
constexpr uint8_t kUserCommand[8] = {0x00, 0x80, 0xA0, 0xC0, 0xE0, 0x42, 0x60, 0x70};

} // namespace Monitor
