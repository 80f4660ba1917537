#pragma once
// The ECG channel's calibration: device units per millivolt, kept beside the
// filter parameters as "EcgUnitsPerMillivolt". 0 means not calibrated, and
// then nothing may be labelled in millivolts.

namespace EcgCalibration {

inline constexpr const char* kKey = "EcgUnitsPerMillivolt";

// The stored value; 0 when absent, not a number, negative or not finite.
double LoadUnitsPerMillivolt();
void SaveUnitsPerMillivolt(double unitsPerMillivolt);

} // namespace EcgCalibration
