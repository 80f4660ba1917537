#pragma once
// Helpers of the window tests: a pseudo-terminal standing in for the device,
// and waiting for the event loop to bring something about.
#include <QApplication>
#include <QThread>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

// The test holds the master end and plays the device; the window opens the slave.
struct TestPty {
    int master = -1;
    std::string slavePath;

    TestPty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slavePath = ::ptsname(master);
    }
    ~TestPty() { HangUp(); }
    TestPty(const TestPty&) = delete;
    TestPty& operator=(const TestPty&) = delete;

    void HangUp()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    bool Write(const void* data, size_t length) const
    {
        return ::write(master, data, length) == static_cast<ssize_t>(length);
    }
    // What the window sent, as far as it has arrived within the timeout.
    std::string Read(size_t length, int timeoutMs = 5000) const
    {
        std::string received;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        while (received.size() < length && std::chrono::steady_clock::now() < end) {
            char buffer[256];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0)
                received.append(buffer, static_cast<size_t>(n));
            else
                ::usleep(1000);
        }
        return received;
    }
};

// Runs the event loop until the condition holds; generous, since the machine
// may be loaded. Returns the condition's last value.
template <class Condition> bool ProcessEventsUntil(Condition condition, int timeoutMs = 20000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}
