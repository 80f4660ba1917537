#pragma once
// The device's replies read without the port: each function looks only at the
// bytes it is given, so that the exchanges and the fuzz targets share them.
#include "ODevice.h"

#include <cstdint>
#include <optional>

inline constexpr int kInitReplyMaxLength = 14;

// Length of the card initialisation reply judged from its first `known` bytes
// (at least 3): 3 when CMD0 failed, 9 when CMD1/ACMD41 failed, otherwise 14.
// A result above `known` means: wait for that many and ask again.
int InitReplyLength(const uint8_t* reply, int known);
// The report of a whole reply of InitReplyLength bytes (its tag checked).
InitCardReport InitReportFromReply(const uint8_t* reply, int length);

// The sector number of a 5-byte first-free reply; nothing when the tag is wrong.
std::optional<uint32_t> FirstFreeFromReply(const uint8_t* reply);
