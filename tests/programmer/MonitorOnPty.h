#pragma once
// The simulated firmware monitor behind a pseudo-terminal: the port under
// test opens SlavePath(), a thread answers on the master side.
#include "OSimMonitor.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class MonitorOnPty {
public:
    explicit MonitorOnPty(const SimMonitorOptions& options = {});
    ~MonitorOnPty();
    MonitorOnPty(const MonitorOnPty&) = delete;
    MonitorOnPty& operator=(const MonitorOnPty&) = delete;

    const std::string& SlavePath() const { return m_SlavePath; }
    // Runs f on the monitor while the serving thread keeps off it.
    void With(const std::function<void(OSimMonitor&)>& f);
    // Sends bytes that no request asked for.
    void Unsolicited(const void* data, size_t length);

private:
    void Serve();

    OSimMonitor m_Monitor;
    std::mutex m_Mutex;
    int m_Master = -1;
    std::string m_SlavePath;
    std::atomic<bool> m_Stop{false};
    std::thread m_Thread;
};
