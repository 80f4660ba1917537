#include "OEKGFilterParams.h"

#include "DetectorKind.h"
#include "EcgTime.h"
#include "ODialogs.h"
#include "OSettings.h"

#include <algorithm>

const OParamInfo kParamTable[kParamCount] = {
    {"m_NI", &OEKGFilterParams::m_NI, 30, 1, 100},
    {"m_NA", &OEKGFilterParams::m_NA, 251, 1, 30000},
    {"m_TPOROG", &OEKGFilterParams::m_TPOROG, 4000, 1000, 60000},
    {"m_FPulseMin", &OEKGFilterParams::m_FPulseMin, 40, 10, 60},
    {"m_FPulseMax", &OEKGFilterParams::m_FPulseMax, 220, 80, 600},
    {"m_MaxImpulseErrorPorog", &OEKGFilterParams::m_MaxImpulseErrorPorog, 4, 1, 1000000000},
    {"m_PulseUsred", &OEKGFilterParams::m_PulseUsred, 10, 0, 300},
};

void OEKGFilterParams::SetDefaults()
{
    for (const OParamInfo& p : kParamTable)
        this->*p.field = p.defaultValue;
    m_MaxIntervalSamples = 0;
    m_MinIntervalSamples = 0;
    m_Detector = kDetectorStandard;
    m_Converted = false;
}

void OEKGFilterParams::LoadParametrs()
{
    SetDefaults();
    for (const OParamInfo& p : kParamTable)
        this->*p.field = OSettings::GetInt(kSection, p.name, this->*p.field);
    // Clamped in this order; each limit stands on its own.
    m_NI = std::clamp(m_NI, 1, 100);
    m_NA = std::clamp(m_NA, 1, 30000);
    m_TPOROG = std::clamp(m_TPOROG, 1000, 60000);
    m_FPulseMax = std::clamp(m_FPulseMax, 80, 600);
    m_FPulseMin = std::clamp(m_FPulseMin, 10, 60);
    m_MaxImpulseErrorPorog = std::clamp(m_MaxImpulseErrorPorog, 1, 1000000000);
    m_PulseUsred = std::clamp(m_PulseUsred, 0, 300);
    m_Detector = OSettings::GetInt(kSection, kDetectorKey, kDetectorStandard);
    if (m_Detector != kDetectorPrecise)
        m_Detector = kDetectorStandard;
    if (m_DetectorChoice == kDetectorStandard || m_DetectorChoice == kDetectorPrecise)
        m_Detector = m_DetectorChoice;
    m_Converted = false;
}

void OEKGFilterParams::SaveParametrs()
{
    if (m_Converted) {
        Dialogs().Message("OEKGFilter::SaveParametrs() - параметры уже пееведены в выборки и не могут быть сохранены",
                          kAppTitle, MsgIcon::None);
        return;
    }
    for (const OParamInfo& p : kParamTable)
        OSettings::WriteInt(kSection, p.name, this->*p.field);
    OSettings::WriteInt(kSection, kDetectorKey, m_Detector);
}

void OEKGFilterParams::ConvertToSamples()
{
    if (m_Converted)
        return;
    const double perMs = kSampleRate / 1000; // 0.9765625
    m_NI = std::max(static_cast<int32_t>(m_NI * perMs), 1);
    m_NA = static_cast<int32_t>(m_NA * perMs);
    m_TPOROG = static_cast<int32_t>(m_TPOROG * perMs);
    m_MaxIntervalSamples = static_cast<int32_t>(kSampleRate / m_FPulseMin * 60);
    m_MinIntervalSamples = static_cast<int32_t>(kSampleRate / m_FPulseMax * 60);
    m_PulseUsred = static_cast<int32_t>(m_PulseUsred * kSampleRate);
    m_Converted = true;
}
