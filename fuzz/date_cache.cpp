// A date cache file of any content: the recording's start read from it and
// shown as the list and the live view show it.
#include "DateCache.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (const auto start = ReadDateCacheFile(WriteFuzzFile("Данные_на_0x00010000.txt", data, size)))
        FileTimeText(*start);
    return 0;
}
