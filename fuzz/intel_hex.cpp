// Intel HEX firmware files: any text loads into the program image without
// harm, and every byte it declares is counted.
#include "FuzzSupport.h"
#include "IntelHex.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static OProgramImage image;
    image.fill(0xFF);
    const HexLoadReport report = LoadHexFile(WriteFuzzFile("firmware.hex", data, size), image);
    // At most 255 data bytes per data record, which takes 9 characters at least.
    if (!report.opened || report.total < 0 || size_t(report.total) > (size / 9 + 1) * 255)
        std::abort();
    return 0;
}
