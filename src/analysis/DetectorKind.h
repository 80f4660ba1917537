#pragma once
// Which R-peak detector fills the impulse array: the standard one built into
// OEKGFilter, or the precise one. Stored as the filter parameter "Detector".
#include <cstdint>
#include <string_view>

inline constexpr int32_t kDetectorStandard = 0;
inline constexpr int32_t kDetectorPrecise = 1;

// The command-line names "standard" and "precise"; false for anything else.
bool ParseDetectorOption(std::string_view text, int32_t& detector);
// "standard" / "precise", for options and machine-readable output.
const char* DetectorOptionName(int32_t detector);
// "стандартный" / "точный", as the parameter dialog and summaries show it.
const char* DetectorTitle(int32_t detector);
