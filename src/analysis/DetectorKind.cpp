#include "DetectorKind.h"

bool ParseDetectorOption(std::string_view text, int32_t& detector)
{
    if (text == "standard")
        detector = kDetectorStandard;
    else if (text == "precise")
        detector = kDetectorPrecise;
    else
        return false;
    return true;
}

const char* DetectorOptionName(int32_t detector)
{
    return detector == kDetectorPrecise ? "precise" : "standard";
}

const char* DetectorTitle(int32_t detector)
{
    return detector == kDetectorPrecise ? "точный" : "стандартный";
}
