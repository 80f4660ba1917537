#pragma once
// The annotations of the EDF+ export:
// - a beat's mark at its R-peak: its class letter (N, S, V, F, Q) with "?"
//   appended when the detector flagged it, so that a viewer can filter by
//   class; a beat the classifier has not classed keeps "R" / "R?";
// - a rhythm event at its start with its duration, the text its KIND ("AF",
//   "VT", "COUPLET", ...; RhythmEvents.h);
// - "Recording ends" where the recording's last sector ends (the last data
//   record is padded past it).
//
// EDFlib stores at most one annotation per data record and annotation signal
// and silently drops the rest, so the file gets as many annotation signals as
// the densest record has marks, beats, events and the end counted together.
#include "OImpulse.h"
#include "RhythmEvents.h"

#include <cstdint>
#include <vector>

inline constexpr const char* kEdfBeatMark = "R";
inline constexpr const char* kEdfDoubtfulBeatMark = "R?";
inline constexpr const char* kEdfEndMark = "Recording ends";

// Onset of a sample in EDFlib's annotation units (100 us), rounded.
int64_t EdfOnset(int64_t sample);
const char* EdfBeatText(const OImpulse& impulse);
// An event's duration in EDFlib's annotation units.
int64_t EdfDuration(const ORhythmEvent& event);

// Annotation signals needed for the marks of count impulses, the events and
// the end mark of a recording of that many sectors: the most marks whose
// onsets fall into one data record (at least 1).
int EdfAnnotationSignalsNeeded(const OImpulse* impulses, int64_t count, int64_t sectors,
                               const std::vector<ORhythmEvent>& events = {});
