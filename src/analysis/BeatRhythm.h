#pragma once
// The rhythm around each beat, as the beat classifier judges prematurity.
//
// Reference: the median of the last nine R-R intervals between two beats of
// supraventricular shape that were on time (not shorter than kPremature of
// the reference, nor the pause after such an interval). A run of early
// intervals that began gradually (the sinus rate rising; or the rhythm
// faster, with ventricular beats in between) enters it at once; one that
// began abruptly (an interval kAbrupt of the one before it or shorter: an
// ectopic beat or a tachycardia) only once it has held for 128 intervals,
// so that a paroxysm of supraventricular tachycardia stays ectopic while a
// lasting change of rate becomes the rhythm.
//
// Irregularity (atrial fibrillation, where "premature" means nothing): for
// each interval between supraventricular beats, its distance to the nearest
// of the three such intervals before it, relative to the recent ones; the
// rhythm at a beat is irregular when the median distance over 12 intervals
// before and 12 after it exceeds kIrregular. An isolated early beat moves
// the median not at all; bigeminy or trigeminy repeat an interval two or
// three beats back; and the intervals of abrupt early runs and the pauses
// after them are left out, so that frequent atrial premature beats do not
// read as fibrillation. Only a rhythm without any pattern is irregular.
#include "OImpulse.h"

#include <cstdint>
#include <vector>

namespace beat {

inline constexpr double kPremature = 0.9;
inline constexpr double kAbrupt = 0.85; // an interval this much shorter than the last one came abruptly
inline constexpr double kIrregular = 0.04;

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
