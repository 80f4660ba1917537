#pragma once
// Whole numbers typed on the command line (sector numbers, lengths, counts).
#include <cstdint>
#include <string>

// Decimal, or hexadecimal after "0x"/"0X"; a leading zero is not octal, and
// signs, blanks and trailing characters are refused. False as well when the
// value exceeds limit.
bool ParseCliNumber(const std::string& text, uint64_t limit, uint64_t& value);
