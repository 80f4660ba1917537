#include "MonitorOnPty.h"

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

void WriteAll(int fd, const uint8_t* data, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written <= 0)
            return;
        data += written;
        length -= static_cast<size_t>(written);
    }
}

} // namespace

MonitorOnPty::MonitorOnPty(const SimMonitorOptions& options) : m_Monitor(options)
{
    m_Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_Master >= 0 && ::grantpt(m_Master) == 0 && ::unlockpt(m_Master) == 0)
        m_SlavePath = ::ptsname(m_Master);
    m_Thread = std::thread([this] { Serve(); });
}

MonitorOnPty::~MonitorOnPty()
{
    m_Stop = true;
    m_Thread.join();
    ::close(m_Master);
}

void MonitorOnPty::With(const std::function<void(OSimMonitor&)>& f)
{
    std::lock_guard lock(m_Mutex);
    f(m_Monitor);
}

void MonitorOnPty::Unsolicited(const void* data, size_t length)
{
    std::lock_guard lock(m_Mutex);
    WriteAll(m_Master, static_cast<const uint8_t*>(data), length);
}

void MonitorOnPty::Serve()
{
    uint8_t buffer[4096];
    std::vector<uint8_t> reply;
    while (!m_Stop) {
        pollfd in{m_Master, POLLIN, 0};
        const int ready = ::poll(&in, 1, 20);
        if (ready <= 0)
            continue;
        if (!(in.revents & POLLIN)) {
            ::usleep(2000); // no one has the slave open yet
            continue;
        }
        const ssize_t n = ::read(m_Master, buffer, sizeof buffer);
        if (n <= 0) {
            // No one has the slave open (EIO): wait for the port to come.
            ::usleep(2000);
            continue;
        }
        reply.clear();
        std::lock_guard lock(m_Mutex);
        m_Monitor.Consume(buffer, static_cast<size_t>(n), reply);
        WriteAll(m_Master, reply.data(), reply.size());
    }
}
