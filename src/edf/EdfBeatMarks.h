#pragma once
// The annotations of the EDF+ export: "R" for every unflagged impulse, "R?"
// for a flagged one, and "Recording ends" where the recording's last sector
// ends (the last data record is padded past it).
//
// EDFlib stores at most one annotation per data record and annotation signal
// and silently drops the rest, so the file gets as many annotation signals as
// the densest record has marks.
#include "OImpulse.h"

#include <cstdint>

inline constexpr const char* kEdfBeatMark = "R";
inline constexpr const char* kEdfDoubtfulBeatMark = "R?";
inline constexpr const char* kEdfEndMark = "Recording ends";

// Onset of a sample in EDFlib's annotation units (100 us), rounded.
int64_t EdfOnset(int64_t sample);
const char* EdfBeatText(const OImpulse& impulse);

// Annotation signals needed for the marks of count impulses and the end
// mark of a recording of that many sectors: the most marks whose onsets fall
// into one data record (at least 1).
int EdfAnnotationSignalsNeeded(const OImpulse* impulses, int64_t count, int64_t sectors);
