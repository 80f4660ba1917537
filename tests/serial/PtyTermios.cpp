#include "PtyTermios.h"

#include <asm/termbits.h>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

long TtyOutputSpeed(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    termios2 settings{};
    const int result = ::ioctl(fd, TCGETS2, &settings);
    ::close(fd);
    return result == 0 ? static_cast<long>(settings.c_ospeed) : -1;
}

namespace {

std::atomic<long> g_Rate{0};
std::atomic<RateFault> g_Fault{RateFault::Refuses};

int FaultyIoctl(int fd, unsigned long request, void* argument)
{
    auto* settings = static_cast<termios2*>(argument);
    const long rate = g_Rate.load();
    if (request == TCSETS2 && g_Fault.load() == RateFault::Refuses && static_cast<long>(settings->c_ospeed) == rate) {
        errno = EINVAL;
        return -1;
    }
    const int result = ::ioctl(fd, request, argument);
    if (result == 0 && request == TCGETS2 && g_Fault.load() == RateFault::Rounds &&
        static_cast<long>(settings->c_ospeed) == rate)
        settings->c_ospeed = static_cast<speed_t>(rate - rate / 25);
    return result;
}

const PosixSerial::Calls g_FaultyCalls = {nullptr, nullptr, FaultyIoctl};

} // namespace

const PosixSerial::Calls* MishandleRate(long baud, RateFault fault)
{
    g_Rate.store(baud);
    g_Fault.store(fault);
    return &g_FaultyCalls;
}
