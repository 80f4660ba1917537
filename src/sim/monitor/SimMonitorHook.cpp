#include "SimMonitorHook.h"

OSimMonitorHook::OSimMonitorHook(OSimDevice& device, const SimMonitorOptions& options)
    : m_Device(device), m_Monitor(options)
{
    for (const uint8_t code : {uint8_t{0xE6}, uint8_t{0xE7}, uint8_t{0xEB}}) {
        m_Device.AddCommand(code, OSimMonitor::ParamLength(code),
                            [this, code](const uint8_t* params, OSimDevice::TimePoint now) {
                                std::vector<uint8_t> reply;
                                {
                                    std::lock_guard lock(m_Mutex);
                                    reply = m_Monitor.Execute(code, params);
                                }
                                if (!reply.empty())
                                    m_Device.Reply(std::move(reply), now);
                            });
    }
    auto previous = m_Device.m_OnPrefix;
    m_Device.m_OnPrefix = [this, previous](OSimDevice::TimePoint now) {
        {
            std::lock_guard lock(m_Mutex);
            m_Monitor.WakeUp();
        }
        if (previous)
            previous(now);
    };
}

void OSimMonitorHook::With(const std::function<void(OSimMonitor&)>& f)
{
    std::lock_guard lock(m_Mutex);
    f(m_Monitor);
}
