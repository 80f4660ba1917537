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

const Calls g_RealCalls = {::read, ::write};
std::atomic<const Calls*> g_Calls{&g_RealCalls};

int Apply(int fd, termios2& settings, int baud)
{
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = static_cast<speed_t>(baud);
    settings.c_ospeed = static_cast<speed_t>(baud);
    if (::ioctl(fd, TCSETS2, &settings) != 0)
        return errno;
    // Some drivers round to what their divisor allows; anything more than 3 %
    // off would garble every byte, so such a rate counts as refused.
    termios2 check{};
    if (::ioctl(fd, TCGETS2, &check) != 0)
        return errno;
    const long got = static_cast<long>(check.c_ospeed);
    if (got <= 0 || std::labs(got - baud) * 100 > 3L * baud)
        return EINVAL;
    return 0;
}

} // namespace

int ConfigureRaw(int fd, int baud)
{
    if (baud <= 0)
        return EINVAL;
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return errno;
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
    return Apply(fd, settings, baud);
}

int SetBaud(int fd, int baud)
{
    if (baud <= 0)
        return EINVAL;
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return errno;
    return Apply(fd, settings, baud);
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

void Flush(int fd) { ::ioctl(fd, TCFLSH, TCIOFLUSH); }

const Calls& CurrentCalls() { return *g_Calls.load(std::memory_order_acquire); }

void SetCallsForTest(const Calls* calls) { g_Calls.store(calls ? calls : &g_RealCalls, std::memory_order_release); }

} // namespace PosixSerial
