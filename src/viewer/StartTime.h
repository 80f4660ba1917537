#pragma once
// The recording's start time as the user types it in the "Время начала" box.
#include <string>

// Reads "hh:mm:ss" ("_", "," and ":" count as spaces; three whole numbers,
// otherwise 00:00:00), clamps hours and minutes to -1000..1000 and seconds to
// -10000..10000, returns the time in seconds and rewrites text in the normal
// "%02d:%02d:%02d" form, so that 25:61:70 becomes 26:02:10 (93730 s).
int ReadStartTime(std::string& text);
