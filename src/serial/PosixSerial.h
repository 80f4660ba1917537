#pragma once
// The platform's serial calls, kept apart from the ring logic: raw 8N1 set-up,
// exact baud rates and modem lines on a tty file descriptor. Each returns 0 or
// an errno value.
#include <cstddef>
#include <sys/types.h>

namespace PosixSerial {

// 8 data bits, no parity, one stop bit, raw, no flow control, reads that return
// at once; any baud rate, set exactly (termios2 with BOTHER).
int ConfigureRaw(int fd, int baud);
// Changes only the baud rate; fails when the driver does not take it.
int SetBaud(int fd, int baud);
// DTR low, RTS high. Best effort: a pseudo-terminal has no modem lines.
void SetModemLines(int fd);
// Drops whatever the driver holds in both directions.
void Flush(int fd);

// The read, write and ioctl calls, replaceable so that tests can inject
// failures (short writes, read errors, refused baud rates) without a real
// device. A null member stands for the real call.
struct Calls {
    ssize_t (*read)(int fd, void* buffer, size_t count);
    ssize_t (*write)(int fd, const void* buffer, size_t count);
    int (*ioctl)(int fd, unsigned long request, void* argument) = nullptr;
};
const Calls& CurrentCalls();
ssize_t Read(int fd, void* buffer, size_t count);
ssize_t Write(int fd, const void* buffer, size_t count);
void SetCallsForTest(const Calls* calls); // nullptr restores the real ones

} // namespace PosixSerial
