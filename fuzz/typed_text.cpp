// Text that people type or name files with: numbers on the command line, the
// patient name for an EDF+ header, and the start date in a file's name.
#include "CliNumber.h"
#include "EcgFileName.h"
#include "EdfExport.h"
#include "FuzzSupport.h"
#include "RecordingStart.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    uint64_t value = 0;
    if (ParseCliNumber(input, 0xFFFFFFFFull, value) && value > 0xFFFFFFFFull)
        std::abort();
    // An EDF+ header field holds printable ASCII only.
    for (const char c : EdfHeaderText(input))
        if (c < 32 || c > 126)
            std::abort();
    const ORecordingStart start = RecordingStartFromName(SplitPath(input).name);
    if (start.known != !start.Text().empty())
        std::abort();
    return 0;
}
