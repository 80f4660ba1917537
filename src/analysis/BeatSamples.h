#pragma once
// The one seam through which the beat classifier reads the ECG around a
// beat: a function that fills out[0 .. count) with the raw samples
// [first, first + count) of the recording and returns how many it could give
// (fewer at the end of the recording, 0 before its start or on a read error).
// The classifier asks in increasing order of first, one beat's window at a
// time, so a source may read the file as it goes instead of holding it.
#include <cstdint>
#include <functional>

class OEcgFile;

using OSampleSource = std::function<int64_t(int64_t first, int64_t count, int16_t* out)>;

// Samples of an open recording file, read in chunks through its descriptor
// (SectorReader.h), mapped or not.
OSampleSource FileSampleSource(const OEcgFile& file);

// Samples of an array in memory (tests, benchmarks).
OSampleSource ArraySampleSource(const int16_t* samples, int64_t count);
