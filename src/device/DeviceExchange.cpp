// Helpers shared by the exchanges of ODevice.
#include "ODevice.h"

#include "OComPort.h"

#include <thread>

void ODevice::SendRequest(const std::vector<uint8_t>& request)
{
    m_Port.Send(request.data(), static_cast<int>(request.size()));
}

void ODevice::ReturnToBaseSpeed()
{
    if (m_FastSpeedActive == 0)
        return;
    m_Port.SetSpeed(57600); // a failure leaves nothing better to do
    m_FastSpeedActive = 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    m_Port.Purge();
}

std::string ODevice::MissingOrWrong(const char* missing, const char* wrong) const
{
    return std::string(m_Port.Available() > 0 ? wrong : missing);
}
