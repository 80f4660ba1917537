#include "EcgCalibration.h"
#include "OEKGFilterParams.h"

#include "OSettings.h"

#include <charconv>
#include <cmath>
#include <string>

// from_chars and to_chars: the stored text must not depend on the locale.
namespace EcgCalibration {

double LoadUnitsPerMillivolt()
{
    const std::string text = OSettings::GetString(OEKGFilterParams::kSection, kKey, "0");
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value <= 0)
        return 0;
    return value;
}

void SaveUnitsPerMillivolt(double unitsPerMillivolt)
{
    if (!std::isfinite(unitsPerMillivolt) || unitsPerMillivolt < 0)
        unitsPerMillivolt = 0;
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, unitsPerMillivolt);
    OSettings::WriteString(OEKGFilterParams::kSection, kKey, std::string(text, result.ptr));
}

} // namespace EcgCalibration
