#include "StartTime.h"

#include "StrFormat.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace {

// One "%d" conversion: optional white space, sign and digits. Values beyond
// the int range saturate instead of overflowing.
bool ReadInt(const std::string& text, size_t& pos, int& value)
{
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    size_t p = pos;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-'))
        negative = text[p++] == '-';
    if (p >= text.size() || !std::isdigit(static_cast<unsigned char>(text[p])))
        return false;
    long long v = 0;
    for (; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p)
        v = std::min<long long>(v * 10 + (text[p] - '0'), static_cast<long long>(INT_MAX) + 1);
    v = negative ? -v : v;
    value = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    pos = p;
    return true;
}

} // namespace

int ReadStartTime(std::string& text)
{
    std::string spaced = text;
    std::replace_if(
        spaced.begin(), spaced.end(), [](char c) { return c == '_' || c == ',' || c == ':'; }, ' ');

    int hours = 0, minutes = 0, seconds = 0;
    size_t pos = 0;
    if (ReadInt(spaced, pos, hours) && ReadInt(spaced, pos, minutes) && ReadInt(spaced, pos, seconds)) {
        hours = std::clamp(hours, -1000, 1000);
        minutes = std::clamp(minutes, -1000, 1000);
        seconds = std::clamp(seconds, -10000, 10000);
    } else {
        hours = minutes = seconds = 0;
    }
    const int secs = hours * 3600 + minutes * 60 + seconds;
    text = StrFormat("%02d:%02d:%02d", secs / 3600, (secs / 60) % 60, secs % 60);
    return secs;
}
