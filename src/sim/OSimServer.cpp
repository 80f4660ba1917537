#include "OSimServer.h"

#include "DeviceCommands.h"
#include "Fatal.h"
#include "PosixSerial.h"
#include "SimLineSpeed.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace {

using Clock = OSimDevice::Clock;

std::string ErrnoText(const char* what)
{
    return std::string(what) + ": " + SystemErrorText(errno);
}

// Bytes sent at one speed and received at another: the receiver makes junk of them.
void Garble(uint8_t* bytes, size_t count, uint32_t& seed)
{
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<uint8_t>(seed >> 16);
    }
}

} // namespace

OSimServer::OSimServer(const std::string& cardPath, const SimFaults& faults, SimServeOptions options)
    : m_CardPath(cardPath), m_Options(options), m_Device(m_Card, faults)
{
}

OSimServer::~OSimServer()
{
    Stop();
    for (int fd : {m_Master, m_Slave, m_Wake})
        if (fd >= 0)
            ::close(fd);
}

bool OSimServer::Start(std::string& error)
{
    if (!m_Card.Open(m_CardPath, error))
        return false;
    m_Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_Master < 0 || ::grantpt(m_Master) != 0 || ::unlockpt(m_Master) != 0) {
        error = ErrnoText("cannot open a pseudo-terminal");
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(m_Master, name, sizeof name) != 0) {
        error = ErrnoText("cannot name the pseudo-terminal");
        return false;
    }
    m_PortPath = name;
    m_Slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_Slave < 0) {
        error = ErrnoText("cannot open the pseudo-terminal");
        return false;
    }
    // Raw at 57600 before any client comes: an echoing terminal would send
    // our own replies back to us as requests.
    if (const int code = PosixSerial::ConfigureRaw(m_Slave, BASE_BAUD); code != 0) {
        error = "cannot set up the pseudo-terminal: " + SystemErrorText(static_cast<uint32_t>(code));
        return false;
    }
    ::fcntl(m_Master, F_SETFL, ::fcntl(m_Master, F_GETFL) | O_NONBLOCK);
    m_Wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_Wake < 0) {
        error = ErrnoText("cannot create an event");
        return false;
    }
    m_Thread = std::thread([this] { Run(); });
    return true;
}

void OSimServer::Stop()
{
    m_StopRequested.store(true);
    if (m_Wake >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(m_Wake, &one, sizeof one);
    }
    if (m_Thread.joinable())
        m_Thread.join();
}

std::vector<uint8_t> OSimServer::TakeReceived()
{
    std::lock_guard lock(m_ReceivedMutex);
    return std::exchange(m_Received, {});
}

void OSimServer::HangUp()
{
    ::close(m_Master);
    ::close(m_Slave);
    m_Master = m_Slave = -1;
    m_Finished.store(true);
}

void OSimServer::Run()
{
    const SimFaults& faults = m_Device.Faults();
    int64_t sentTotal = 0;
    std::vector<uint8_t> pending; // taken from the device, not yet accepted by the terminal
    size_t pendingAt = 0;
    Clock::time_point lineFree = Clock::now();
    uint32_t seed = 0x2545F491;
    uint8_t buffer[4096];

    while (!m_StopRequested.load()) {
        if (faults.hangupAfter >= 0 && sentTotal >= faults.hangupAfter) {
            HangUp();
            return;
        }
        // A stalled device takes what the PC sends and answers nothing more.
        const bool stalled = faults.stallAfter >= 0 && sentTotal >= faults.stallAfter;
        Clock::time_point now = Clock::now();
        int timeoutMs = 100;
        short events = POLLIN;
        if (stalled) {
            // Only the PC's bytes are awaited.
        } else if (pendingAt < pending.size()) {
            events |= POLLOUT;
        } else if (const auto due = m_Device.NextDue(now)) {
            const auto at = std::max(*due, m_Options.fast ? now : lineFree);
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(at - now).count();
            timeoutMs = static_cast<int>(std::clamp<int64_t>(wait, 0, 100));
        }
        pollfd fds[2] = {{m_Master, events, 0}, {m_Wake, POLLIN, 0}};
        if (::poll(fds, 2, timeoutMs) < 0 && errno != EINTR)
            break;
        if (fds[1].revents & POLLIN)
            break;

        now = Clock::now();
        if (fds[0].revents & POLLIN) {
            const ssize_t got = ::read(m_Master, buffer, sizeof buffer);
            if (got > 0) {
                const int pcBaud = m_Options.checkLineSpeed ? TerminalBaud(m_Slave) : 0;
                m_Device.Receive(buffer, static_cast<size_t>(got), now, pcBaud);
                std::lock_guard lock(m_ReceivedMutex);
                m_Received.insert(m_Received.end(), buffer, buffer + got);
            }
        }

        if (stalled)
            continue;
        if (pendingAt >= pending.size() && (m_Options.fast || now >= lineFree)) {
            const int baud = m_Device.NextBaud();
            // A line's worth of about two milliseconds at a time.
            const size_t most = m_Options.fast ? sizeof buffer : std::max<size_t>(1, static_cast<size_t>(baud) / 5000);
            int sentBaud = baud;
            const size_t count = m_Device.Transmit(buffer, most, now, sentBaud);
            if (count > 0) {
                if (m_Options.checkLineSpeed) {
                    const int pcBaud = TerminalBaud(m_Slave);
                    if (pcBaud != 0 && pcBaud != sentBaud)
                        Garble(buffer, count, seed);
                }
                pending.assign(buffer, buffer + count);
                pendingAt = 0;
                // The line keeps its own clock: a late wake-up must not stretch
                // the byte times; only a line that was idle starts from now.
                if (!m_Options.fast)
                    lineFree = (now - lineFree > std::chrono::milliseconds(50) ? now : lineFree) +
                               std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
                                   static_cast<double>(count) * 10.0 / static_cast<double>(sentBaud)));
            }
        }
        if (pendingAt < pending.size()) {
            size_t chunk = pending.size() - pendingAt;
            if (faults.hangupAfter >= 0)
                chunk = std::min<size_t>(chunk, static_cast<size_t>(faults.hangupAfter - sentTotal));
            if (faults.stallAfter >= 0)
                chunk = std::min<size_t>(chunk, static_cast<size_t>(faults.stallAfter - sentTotal));
            const ssize_t written = ::write(m_Master, pending.data() + pendingAt, chunk);
            if (written > 0) {
                pendingAt += static_cast<size_t>(written);
                sentTotal += written;
            }
        }
    }
    m_Finished.store(true);
}
