#include "StartTime.h"

#include "ScanInt.h"

#include "StrFormat.h"

#include <algorithm>
#include <cctype>
#include <climits>

int ReadStartTime(std::string& text)
{
    std::string spaced = text;
    std::replace_if(
        spaced.begin(), spaced.end(), [](char c) { return c == '_' || c == ',' || c == ':'; }, ' ');

    int hours = 0, minutes = 0, seconds = 0;
    size_t pos = 0;
    if (ScanInt(spaced, pos, hours) && ScanInt(spaced, pos, minutes) && ScanInt(spaced, pos, seconds)) {
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
