#pragma once
// How a recording is laid out in an EDF+ file: data records of five sectors,
// the shortest span in which the ECG (976.5625 Hz) and the per-sector values
// (4.17 Hz) both come to whole numbers of samples.
#include "EcgTime.h"

#include <cstdint>

inline constexpr int kEdfSectorsPerRecord = 5;
inline constexpr int kEdfEcgPerRecord = kEdfSectorsPerRecord * kSamplesPerSector; // 1170
// Record duration in EDFlib's units of 10 us: 1.19808 s.
inline constexpr int kEdfRecordDuration10us = 119808;
// Annotation onsets are given to EDFlib in units of 100 us.
inline constexpr double kEdfOnsetUnitsPerSample = kSamplePeriod * 10000; // 10.24
// EDFlib keeps at most this many annotation signals.
inline constexpr int kEdfMaxAnnotationSignals = 64;

inline int64_t EdfRecordCount(int64_t sectors)
{
    return (sectors + kEdfSectorsPerRecord - 1) / kEdfSectorsPerRecord;
}
