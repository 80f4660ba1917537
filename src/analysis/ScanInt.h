#pragma once
// One "%d" conversion at pos: optional white space, sign and digits. Values
// beyond the int range saturate instead of overflowing. On success pos moves
// past the number.
#include <algorithm>
#include <cctype>
#include <climits>
#include <string>

inline bool ScanInt(const std::string& text, size_t& pos, int& value)
{
    size_t p = pos;
    while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p])))
        ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-'))
        negative = text[p++] == '-';
    if (p >= text.size() || !std::isdigit(static_cast<unsigned char>(text[p])))
        return false;
    long long v = 0;
    for (; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p)
        v = std::min<long long>(v * 10 + (text[p] - '0'), static_cast<long long>(INT_MAX) + 1);
    value = static_cast<int>(std::clamp<long long>(negative ? -v : v, INT_MIN, INT_MAX));
    pos = p;
    return true;
}
