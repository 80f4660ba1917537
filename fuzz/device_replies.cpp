// The device's replies: the card initialisation report (read in stages as
// the reply grows) and the first free sector.
#include "DeviceCommands.h"
#include "DeviceReplies.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint8_t reply[kInitReplyMaxLength] = {};
    std::memcpy(reply, data, std::min(size, sizeof reply));
    const int available = int(std::min(size, sizeof reply));
    int length = 3;
    for (int known = 0; known < length && length <= available;) {
        known = length;
        length = InitReplyLength(reply, known);
        if (length < known || length > kInitReplyMaxLength)
            std::abort();
    }
    if (length <= available)
        InitReportFromReply(reply, length);

    if (size >= 5)
        FirstFreeFromReply(data);
    return 0;
}
