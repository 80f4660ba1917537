#pragma once
// Fatal stops and system error texts.
#include <cstdint>
#include <string>

// The system's text for an error code (errno value), or "?" when it has none.
std::string SystemErrorText(uint32_t code);

// Internal error: "HALTY " and the message to the console, a message box, and
// the process ends with exit code -1. Does not return.
[[noreturn]] void Halt(const std::string& message);

// A failed system call that cannot be survived. Does not return.
[[noreturn]] void WinApiFatal(const std::string& where, uint32_t code);
