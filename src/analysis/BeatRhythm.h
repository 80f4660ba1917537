#pragma once
// The rhythm around each beat, as the beat classifier judges prematurity:
// the local reference interval is the median of the last nine R-R intervals
// between two beats of supraventricular shape that were neither premature
// nor the pause after one; a beat is premature when its interval is shorter
// than kPremature of that reference. The rhythm counts as irregular (atrial
// fibrillation, where "premature" means nothing) when, over the last 16
// intervals, the median distance of an interval to the nearest of the three
// before it exceeds kIrregular of the reference: an isolated early beat
// moves the median not at all, and bigeminy or trigeminy repeat an interval
// two or three beats back, so only a rhythm without any pattern reads as
// irregular. A faster rhythm that holds for 16 intervals becomes the
// reference, so that a sudden lasting change of rate is not a run of ectopy
// for ever.
#include "OImpulse.h"

#include <cstdint>
#include <vector>

namespace beat {

inline constexpr double kPremature = 0.9;
inline constexpr double kAbrupt = 0.85; // an interval this much shorter than the last one came abruptly
inline constexpr double kIrregular = 0.05;

struct ORhythmPoint {
    float before = 0;    // R-R interval ending at the beat / reference (1: on time; 0: unknown)
    float after = 0;     // R-R interval after it / reference
    float lastSupra = 0; // the latest interval between two supraventricular beats before it / reference
    bool irregular = false;
};

// supraShaped[i]: beat i has a QRS that may be supraventricular.
void MeasureRhythm(const OImpulse* beats, int64_t count, const std::vector<uint8_t>& supraShaped,
                   std::vector<ORhythmPoint>& out);

} // namespace beat
