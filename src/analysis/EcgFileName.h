#pragma once
// What the analysis reads from a recording file's name and path.
#include <string>

struct OPathParts {
    std::string folder; // up to and including the last separator; empty for a bare name
    std::string name;   // between the last separator and the last point
    std::string ext;    // after the last point (of the name), without it
};
OPathParts SplitPath(const std::string& path);

// True when the extension is "экг" in any letter case.
bool IsEcgExtension(const std::string& path);

// Time of day the recording started, from a name such as
// "ЭКГ_2010_05_12, 14_30_05, 0x00010000": from the first digit on, "_" and ","
// count as blanks and six whole numbers must follow; the last three are hours,
// minutes and seconds. Anything else gives 0, 0, 0.
struct OStartOfDay {
    int hours = 0, minutes = 0, seconds = 0;
    std::string Text() const; // "%02d:%02d:%02d"
};
OStartOfDay StartTimeFromName(const std::string& name);

// The six whole numbers of such a name, as StartTimeFromName reads them
// (year, month, day, hours, minutes, seconds); false when six do not follow.
bool ScanNameNumbers(const std::string& name, int (&numbers)[6]);
