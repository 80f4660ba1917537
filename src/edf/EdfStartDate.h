#pragma once
// When a recording started, as far as Brenna knows: the start time in a
// downloaded file's name, else the date cache entry of its first sector.
#include "OEcgFile.h"
#include "RecordingStart.h"

#include <cstdint>

ORecordingStart EdfRecordingStart(const OEcgFile& file);

// A date cache time (local time, 100 ns since 1 January 1601) as a date and
// time; unknown when outside the years EDF+ can hold (1985 to 2084).
ORecordingStart StartFromFileTime(int64_t fileTime);
