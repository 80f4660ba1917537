#include "PosixSerial.h"

// termios2 lives in the kernel's headers; <termios.h> must not be included
// in this file or the two definitions of struct termios collide.
#include <asm/termbits.h>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <sys/ioctl.h>
#include <unistd.h>

namespace PosixSerial {

namespace {

int RealIoctl(int fd, unsigned long request, void* argument)
{
    return ::ioctl(fd, request, argument);
}

const Calls g_RealCalls = {::read, ::write, RealIoctl};
std::atomic<const Calls*> g_Calls{&g_RealCalls};

int Ioctl(int fd, unsigned long request, void* argument)
{
    const Calls& calls = CurrentCalls();
    return calls.ioctl ? calls.ioctl(fd, request, argument) : RealIoctl(fd, request, argument);
}

// Applies the settings with the given rate. When the driver refuses the rate,
// the settings the port had before (previous) are put back.
int Apply(int fd, termios2 settings, int baud, const termios2& previous)
{
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = static_cast<speed_t>(baud);
    settings.c_ospeed = static_cast<speed_t>(baud);
    if (Ioctl(fd, TCSETS2, &settings) != 0)
        return errno;
    // Some drivers round to what their divisor allows; anything more than 3 %
    // off would garble every byte, so such a rate counts as refused.
    termios2 check{};
    if (Ioctl(fd, TCGETS2, &check) != 0)
        return errno;
    const long got = static_cast<long>(check.c_ospeed);
    if (got <= 0 || std::labs(got - baud) * 100 > 3L * baud) {
        termios2 restore = previous;
        Ioctl(fd, TCSETS2, &restore);
        return EINVAL;
    }
    return 0;
}

} // namespace

int ConfigureRaw(int fd, int baud)
{
    if (baud <= 0)
        return EINVAL;
    termios2 previous{};
    if (Ioctl(fd, TCGETS2, &previous) != 0)
        return errno;
    termios2 settings = previous;
    settings.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK |
                          IGNPAR | IUCLC | IMAXBEL);
    settings.c_oflag &= ~OPOST;
    settings.c_lflag &= ~(ECHO | ECHONL | ECHOE | ECHOK | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    settings.c_cc[VSTART] = 0x11;
    settings.c_cc[VSTOP] = 0x13;
    return Apply(fd, settings, baud, previous);
}

int SetBaud(int fd, int baud)
{
    if (baud <= 0)
        return EINVAL;
    termios2 previous{};
    if (Ioctl(fd, TCGETS2, &previous) != 0)
        return errno;
    return Apply(fd, previous, baud, previous);
}

void SetModemLines(int fd)
{
    int lines = 0;
    if (::ioctl(fd, TIOCMGET, &lines) != 0)
        return;
    lines &= ~TIOCM_DTR;
    lines |= TIOCM_RTS;
    ::ioctl(fd, TIOCMSET, &lines);
}

void Flush(int fd)
{
    ::ioctl(fd, TCFLSH, TCIOFLUSH);
}

const Calls& CurrentCalls()
{
    return *g_Calls.load(std::memory_order_acquire);
}

ssize_t Read(int fd, void* buffer, size_t count)
{
    const Calls& calls = CurrentCalls();
    return calls.read ? calls.read(fd, buffer, count) : ::read(fd, buffer, count);
}

ssize_t Write(int fd, const void* buffer, size_t count)
{
    const Calls& calls = CurrentCalls();
    return calls.write ? calls.write(fd, buffer, count) : ::write(fd, buffer, count);
}

void SetCallsForTest(const Calls* calls)
{
    g_Calls.store(calls ? calls : &g_RealCalls, std::memory_order_release);
}

} // namespace PosixSerial
