#pragma once
// Access to the exact baud rate of a tty and a fake driver that mishandles one
// rate, kept apart because the kernel's termios2 clashes with <termios.h>.
#include "PosixSerial.h"

#include <string>

// The output baud rate the tty at path is set to, or -1.
long TtyOutputSpeed(const std::string& path);

enum class RateFault {
    Refuses, // the driver rejects the rate outright
    Rounds,  // the driver takes it but runs 4 % slower
};
// Calls whose ioctl mishandles the given rate and passes everything else on.
const PosixSerial::Calls* MishandleRate(long baud, RateFault fault);
