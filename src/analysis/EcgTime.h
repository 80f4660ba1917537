#pragma once
// Time base and layout of a recording sector as the analysis reads it.
#include <cstdint>

inline constexpr int kSectorBytes = 512;
inline constexpr int kSectorHeaderBytes = 44;
inline constexpr int kSamplesPerSector = 234;
inline constexpr double kSamplePeriod = 0.001024;     // seconds
inline constexpr double kSampleRate = 976.5625;       // samples per second
inline constexpr double kSectorDuration = 0.239616;   // seconds, 234 samples
inline constexpr double kCcpTicksPerSecond = 2500000; // CCP1 time stamps tick every 0.4 us
inline constexpr uint32_t kRecordingSignature = 0xA73955AA;
