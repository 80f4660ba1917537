#pragma once
// The beats and the rhythm events of a processed recording as text tables,
// the files `brenna-cli analyse --beats` and `--events` write:
//
// - beat list, one line per impulse: `position<TAB>flags<TAB>class`, the
//   position in samples of the file, the flags as a decimal number (kImpulse*
//   bits), the class its letter N, S, V, F or Q, and `-` for a beat the
//   classifier has not classed;
// - event list, one line per event in time order:
//   `KIND<TAB>start_s<TAB>end_s<TAB>beats<TAB>mean_bpm`, KIND as
//   RhythmKindName() gives it, times in seconds from the file's first sample
//   (976.5625 samples per second) with millisecond digits, the mean rate with
//   one decimal (0.0 when the event has no interval).
#include "OImpulse.h"
#include "RhythmEvents.h"

#include <array>
#include <cstdint>
#include <string>

inline constexpr char kUnclassifiedLetter = '-';

// The class's letter, '-' for an unclassified beat (or any value that is no
// class).
char BeatClassLetter(char beatClass);

// Beats per class: N, S, V, F, Q and unclassified, in that order.
inline constexpr std::array<char, 5> kBeatClasses = {kBeatNormal, kBeatSupra, kBeatVentricular, kBeatFusion,
                                                     kBeatUnknown};
struct OBeatClassCounts {
    std::array<int64_t, 5> perClass{}; // in the order of kBeatClasses
    int64_t unclassified = 0;
    void Add(char beatClass);
    int64_t Of(char beatClass) const;
    int64_t Total() const;
};
OBeatClassCounts CountBeatClasses(const OImpulse* impulses, int64_t count);

std::string BeatTableText(const OImpulse* impulses, int64_t count);
std::string EventTableText(const ORhythmSummary& summary);
