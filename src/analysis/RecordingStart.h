#pragma once
// Date and time a recording started, as far as Brenna knows it: a downloaded
// file is named "ЭКГ_2010_05_12, 14_30_05, 0x00010000" when the date cache
// knew the start, and "ЭКГ_0x00010000" when it did not.
#include <string>

struct ORecordingStart {
    bool known = false; // a whole, plausible date and time
    int year = 0, month = 0, day = 0;
    int hours = 0, minutes = 0, seconds = 0;
    std::string Text() const; // "2010.05.12, 14:30:05"; empty when unknown
};

// From a file name (without folder or extension, as OPathParts::name): six
// whole numbers from the first digit on, "_" and "," counting as blanks, read
// as year, month, day, hours, minutes, seconds. A name that does not give a
// date between 1980 and 2100 with a valid day and time is unknown.
ORecordingStart RecordingStartFromName(const std::string& name);
