#pragma once
// The seven tuning values of the ECG filter and R-peak detector, kept in the
// settings section "OEKGFilter_Params" in physical units (ms, beats per
// minute, s) and turned into sample counts before a run.
#include <cstdint>

class OEKGFilterParams {
public:
    static constexpr const char* kSection = "OEKGFilter_Params";
    static constexpr const char* kDetectorKey = "Detector";

    OEKGFilterParams() { SetDefaults(); }

    void SetDefaults();
    // Defaults, then the stored values, then clamped to their limits.
    void LoadParametrs();
    // Refused with a message once the record holds sample counts.
    void SaveParametrs();
    // ms -> samples (truncating) and the two interval limits; once only.
    // A half-width that truncates to 0 samples becomes 1 sample, so the
    // matched filter always has a kernel of at least three taps.
    void ConvertToSamples();
    bool IsConverted() const { return m_Converted; }
    int GetNI() const { return m_NI; }

    int32_t m_NI;                   // half-width of the triangular R-wave
    int32_t m_NA;                   // half-aperture of the baseline filter
    int32_t m_TPOROG;               // threshold decay time constant
    int32_t m_FPulseMin;            // beats per minute
    int32_t m_FPulseMax;            // beats per minute
    int32_t m_MaxIntervalSamples;   // longest R-R interval (derived, samples)
    int32_t m_MinIntervalSamples;   // shortest R-R interval (derived, samples)
    int32_t m_MaxImpulseErrorPorog; // defect measure that rejects an impulse
    int32_t m_PulseUsred;           // pulse-rate averaging span
    // Not one of the seven tuning values: the detector to run (DetectorKind.h),
    // stored as "Detector"; anything but 0 or 1 reads as 0.
    int32_t m_Detector;
    // A detector chosen for one run (the command line's --detector) that
    // LoadParametrs keeps instead of the stored one; -1: the stored choice.
    int32_t m_DetectorChoice = -1;

protected:
    bool m_Converted = false;
};

// Settings names and limits in the order they are loaded and saved.
struct OParamInfo {
    const char* name;
    int32_t OEKGFilterParams::*field;
    int32_t defaultValue;
    int32_t low;
    int32_t high;
};
inline constexpr int kParamCount = 7;
extern const OParamInfo kParamTable[kParamCount];
