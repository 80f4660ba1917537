// The recording's start time from a file name, and as typed into the
// "Время начала" box (also with the text the name gives it).
#include "EcgFileName.h"
#include "FuzzSupport.h"
#include "StartTime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string fromName = StartTimeFromName(SplitPath(input).name).Text();
    ReadStartTime(fromName);
    std::string typed = input;
    ReadStartTime(typed);
    return 0;
}
