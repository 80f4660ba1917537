#pragma once
// Heart-rate variability of one recording from its beats, as the Holter
// report states it (the report's last page repeats these definitions):
//
// - Beats: the impulses of the chosen detector. RR_i = t_i - t_(i-1) in ms
//   from consecutive impulses.
// - NN intervals: RR_i whose both beats are unflagged and normal (class N,
//   or not classified, as when the classifier has not run), with
//   300 <= RR_i <= 2000 ms, and within 20 % of the median of the ten
//   neighbouring RR intervals (five before, five after, fewer at the ends).
//   All other intervals are "excluded". An interval without any neighbour
//   (a recording of two beats) passes the median test. The report also
//   excludes the intervals whose second beat falls into atrial fibrillation.
// - Time: counted from the recording's first sample; an interval belongs to
//   the minute or 5-minute segment in which its second beat falls, and
//   "s of NN" is the sum of the NN intervals that belong there.
// - Time domain (Task Force of the ESC and NASPE, 1996): mean NN; SDNN
//   (sample standard deviation, n - 1); SDANN (standard deviation of the mean
//   NN of consecutive 5-minute segments counted from the start, using
//   segments with at least 150 s of NN); SDNN index (mean of those segments'
//   SDNN); RMSSD and pNN50 over successive differences of adjacent NN
//   intervals only (a pair with an excluded interval between is not
//   adjacent); HRV triangular index (NN count over the highest bin of a
//   histogram with 7.8125 ms bins whose edges are multiples of 7.8125 ms).
// - Poincaré: SD1 = sqrt(var(NN_(i+1) - NN_i) / 2) over the same adjacent
//   pairs as RMSSD, var the sample variance (n - 1); SD2 = sqrt(2 SDNN² - SD1²).
// - Heart rate per minute: 60000 / mean NN of the minute, for minutes with at
//   least 30 s of NN.
//
// A figure that the data cannot give is empty (std::nullopt).
#include "NnRule.h" // kNnMinMs, kNnMaxMs, kNnMedianTolerance, kNnMedianSide, NnClass
#include "OImpulse.h"

#include <cstdint>
#include <optional>
#include <vector>

struct OBeat {
    double timeMs = 0;                  // from the recording's first sample
    uint8_t flags = 0;                  // kImpulse* bits of the detector; any bit: flagged
    char beatClass = kBeatUnclassified; // OBeatClass
};

struct ORrInterval {
    double timeS = 0; // of its second beat
    double rrMs = 0;
    bool nn = false;
    uint8_t flagsFirst = 0, flagsSecond = 0;
    bool inAf = false; // second beat inside atrial fibrillation (set by the report)
};

inline constexpr double kSegmentS = 300;
inline constexpr double kSegmentMinNnS = 150;
inline constexpr double kTriangularBinMs = 7.8125;
inline constexpr double kPnnThresholdMs = 50;

// RR intervals of consecutive beats with the NN decision of each.
std::vector<ORrInterval> RrIntervals(const std::vector<OBeat>& beats);

struct OTimeDomain {
    int64_t nnCount = 0;
    int64_t excludedCount = 0;
    std::optional<double> meanNn, sdnn, sdann, sdnnIndex, rmssd, pnn50, triangularIndex, sd1, sd2;
    int segmentsUsed = 0; // 5-minute segments in SDANN and the SDNN index
};

// Figures over intervals [first, last) of rr (all by default); SDANN and the
// SDNN index only when segments is true (an hour of the table leaves them).
OTimeDomain TimeDomain(const std::vector<ORrInterval>& rr, bool segments = true);
OTimeDomain TimeDomain(const std::vector<ORrInterval>& rr, size_t first, size_t last, bool segments);

// Sample standard deviation (n - 1); empty below two values.
std::optional<double> SampleSd(const std::vector<double>& values);

// Heart rate of each whole minute of the recording (minute m covers
// [60 m, 60 m + 60) s); empty for a minute with less than 30 s of NN.
std::vector<std::optional<double>> HeartRatePerMinute(const std::vector<ORrInterval>& rr, double durationS);
