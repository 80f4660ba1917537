// The analysis pass under any stored filter parameters: the first 14 bytes
// choose the seven values within their limits (their low or high end, or a
// value between), the rest is the recording file.
#include "FuzzSupport.h"
#include "OEKGFilterParams.h"
#include "OEcgFile.h"
#include "OSettings.h"
#include "ProcessFile.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr size_t kParamBytes = 2 * kParamCount;
    if (size < kParamBytes)
        return 0;
    for (int i = 0; i < kParamCount; ++i) {
        const OParamInfo& p = kParamTable[i];
        const unsigned v = data[2 * i] | data[2 * i + 1] << 8;
        const int64_t range = int64_t(p.high) - p.low + 1;
        const int32_t value = v == 0 ? p.low : v == 1 ? p.high : int32_t(p.low + int64_t(v) * 7919 % range);
        OSettings::WriteInt(OEKGFilterParams::kSection, p.name, value);
    }
    static const auto filter = std::make_unique<OEKGFilter>();
    const std::string path = WriteFuzzFile("params.экг", data + kParamBytes, size - kParamBytes);
    OEcgFile file;
    if (!file.OpenEcgFile(path, true))
        return 0;
    OProcessControl control;
    ProcessFile(file, *filter, control);
    return 0;
}
