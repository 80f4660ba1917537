#include "OWakeEvent.h"

#include "Fatal.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

OWakeEvent::OWakeEvent()
{
    m_Fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_Fd < 0)
        WinApiFatal("eventfd", static_cast<uint32_t>(errno));
}

OWakeEvent::~OWakeEvent()
{
    if (m_Fd >= 0)
        ::close(m_Fd);
}

void OWakeEvent::Signal()
{
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t ignored = ::write(m_Fd, &one, sizeof one);
}

OWakeEvent::Woken OWakeEvent::Wait(int timeoutMs, int fd)
{
    pollfd fds[2] = {{m_Fd, POLLIN, 0}, {fd, POLLIN, 0}};
    const int count = fd >= 0 ? 2 : 1;
    int ready;
    do {
        ready = ::poll(fds, count, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0)
        return Woken::Timeout;
    if (fds[0].revents & POLLIN) {
        uint64_t value;
        [[maybe_unused]] ssize_t ignored = ::read(m_Fd, &value, sizeof value);
        return Woken::Event;
    }
    // A hung-up tty reports itself readable too (reads then return 0), so the
    // hang-up must be told before readability.
    if (count == 2 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)))
        return Woken::Hangup;
    if (count == 2 && (fds[1].revents & POLLIN))
        return Woken::Readable;
    return Woken::Timeout;
}
