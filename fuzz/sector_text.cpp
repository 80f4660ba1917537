// Sector numbers typed as hexadecimal text (the first-free-sector edit) and
// read back from the recording list's columns for a download.
#include "FuzzSupport.h"
#include "ODevice.h"
#include "RecordingRows.h"
#include "StrFormat.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (const auto value = ParseHexSectorText(input); value && ParseHexSectorText(StrFormat("0x%x", *value)) != value)
        std::abort();

    // Columns 1 and 2 of a row, split at the first line feed.
    RecordingRow row;
    const size_t split = input.find('\n');
    row[1] = input.substr(0, split);
    row[2] = split == std::string::npos ? std::string() : input.substr(split + 1);
    RowDownloadRange(row);
    return 0;
}
