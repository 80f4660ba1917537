#pragma once
// Puts the firmware monitor into the simulated device: its three commands go
// into the device's dispatch table and every prefix byte counts as a wake-up.
#include "OSimDevice.h"
#include "OSimMonitor.h"

#include <functional>
#include <mutex>

class OSimMonitorHook {
public:
    // Registers with the device; lives as long as the device serves.
    OSimMonitorHook(OSimDevice& device, const SimMonitorOptions& options);

    // Runs f on the monitor while the device keeps off it.
    void With(const std::function<void(OSimMonitor&)>& f);

private:
    OSimDevice& m_Device;
    std::mutex m_Mutex;
    OSimMonitor m_Monitor;
};
