#pragma once
// Atrial fibrillation from the irregularity of the RR intervals.
//
// (description and measured table at the end of the work)
#include "OImpulse.h"

#include <cstdint>
#include <vector>

struct OAfOptions {
    int window = 32;          // intervals, centred on the one decided
    int minValid = 12;        // differences a lag needs in the window to count
    int maxLag = 3;           // lags 1..maxLag; the most regular one decides
    double threshold = 0.06;  // irregularity (median |RR_j - RR_(j-k)| / median RR) above which it is AF
    double band = 0.10;        // width of an RR cluster, relative to its shortest interval
    double maxClustered = 0.45; // above this share of intervals in one cluster it is not AF
    double match = 0.05;       // Poincaré points this close (relative, both axes) match
    double maxMatched = 0.65;    // above this share of matched points it is not AF
    bool prematureFilter = true; // leave out short-long pairs of an isolated premature beat
    double bridgeS = 10;      // shorter gaps inside AF are AF
    double minEpisodeS = 30;  // shorter episodes are dropped
};

struct OAfEpisode {
    int64_t first, last; // impulse indices of its first and last beat
};

struct OAfMeasure {
    double irregularity = -1; // negative: too few usable intervals to say
    double clustered = 0;     // share of the window's intervals in its densest cluster
    double matched = 0;       // share of the window's Poincaré points with a near neighbour
};

// The measures of every interval i (impulses i and i + 1).
std::vector<OAfMeasure> AfMeasures(const OImpulse* impulses, int64_t count, const OAfOptions& options = {});

// AF episodes, in time order.
std::vector<OAfEpisode> FindAfEpisodes(const OImpulse* impulses, int64_t count, const OAfOptions& options = {});
