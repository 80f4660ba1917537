#pragma once
// Atrial fibrillation from the RR intervals alone: no P waves are looked for,
// so the detector works on any beat list, classified or not.
//
// Method. AF makes the ventricular rhythm irregular without any pattern:
// successive RR intervals differ by a good part of their length (Tateno and
// Glass 2001 score the distribution of these differences), and a plot of
// successive intervals is a diffuse cloud (Sarkar et al. 2008 count the
// occupied cells of such a plot of successive differences), where sinus
// rhythm, even with frequent ectopic beats, makes a few tight clusters. Three measures over a window of 32 intervals
// centred on the one judged, taken every fourth interval:
// - irregularity: median |RR_j - RR_(j-k)| / median RR for the lags k = 1, 2,
//   3, the smallest of the three. The median ignores a few outliers (an
//   isolated premature beat); the lag makes bigeminy (regular at lag 2) and
//   trigeminy (lag 3) regular, which AF is at no lag;
// - clustered: the largest share of the window's intervals lying within
//   10 % of each other (the rhythm's own cluster: 2:1 or Wenckebach-like
//   alternations of two lengths are not AF);
// - matched: the share of Poincaré points with another point of the window
//   within 5 % on both axes (sinus rhythm with frequent ectopic beats of any
//   pattern repeats its points; AF rarely does).
// An interval is AF when irregularity > 0.07, clustered < 0.45 and matched
// < 0.65. The DS1 records without AF (reference beats) stay under 0.07 in
// 95 % of their windows (the highest, mitdb-115's sinus arrhythmia, at
// 0.068); AF is mostly above 0.1.
// Ectopic filtering, in the spirit of Petrenas et al. 2015: intervals touching a beat
// the classifier called V, F or Q, or one the detector flagged as doubtful,
// are left out (the interval across them, at lag 2 or 3, still counts); S
// beats are kept, since a classifier calls many AF beats premature. Without
// classes, an isolated premature beat (a short interval, < 0.8 of the local
// median, followed by a long one, the two spanning two local intervals
// within 20 %) leaves out both of its intervals.
// Episodes: runs of AF intervals (an interval with fewer than 12 usable
// neighbours keeps the decision before it), gaps with under 10 s of intervals
// judged regular closed (a stretch that cannot be judged, such as aberrant
// beats in AF that the classifier calls V or Q, is no evidence of sinus
// rhythm), episodes under 30 s dropped. The onset and offset land within half a window (about
// 16 beats) of the truth.
// The coefficient of sample entropy (Lake and Moorman 2011) was not tried;
// the matched share is a close relative (matches of two-interval templates
// within a tolerance), without the logarithms.
//
// Measured with bench_rhythm (duration Se / +P of AF in %, the field's episode
// comparison; reference AF of mitdb-201 and -203 and the 19 records of af/,
// 3894 s):
//
//                                   the pass      no classes    reference
//   AF duration                     93.97 / 95.21 93.24 / 93.48 93.46 / 93.40
//   AF episodes (>= 30 s)           92.31 / 92.31 92.31 / 91.67 96.15 / 92.31
//   false AF, DS1 without AF        0.00 %        0.98 %        0.00 %
// "The pass" is the precise detector's beats with the beat classifier's
// classes, end to end; "no classes" the same beats with the classes taken
// away (false AF then in the multiform PVCs of mitdb-208, 276 s, and the
// ventricular flutter of mitdb-207, 78 s of 36130 s); "reference" the
// database's beats and labels. On the simulator's recordings through the
// pass, 6 of 6 AF episodes with onset and offset within 4.4 s, and no AF in
// bigeminy, trigeminy or frequent isolated PVCs.
// Missed: the short paroxysms of af/ (10 to 39 s, most under the 30 s an
// episode needs) and fast AF at 150 bpm whose RR barely varies
// (cpsc-data_101_8);
// false: the run of aberrant premature beats and blocks in mitdb-201 (97 s in
// the pass) and 50 s beside the 46 s paroxysm of cpsc-data_101_6.
//
// Cost: about 100 operations and three partial sorts of 32 values per four
// intervals, and one scan of 32 points per interval; no memory beyond a few
// arrays of one value per interval.
#include "OImpulse.h"

#include <cstdint>
#include <vector>

struct OAfOptions {
    int window = 32;             // intervals, centred on the one judged
    int minValid = 12;           // differences a lag needs in the window to count
    int maxLag = 3;              // lags 1..maxLag; the most regular one decides
    double threshold = 0.07;     // irregularity (median |RR_j - RR_(j-k)| / median RR) above which it is AF
    double band = 0.10;          // width of an RR cluster, relative to its shortest interval
    double maxClustered = 0.45;  // above this share of intervals in one cluster it is not AF
    double match = 0.05;         // Poincaré points this close (relative, both axes) match
    double maxMatched = 0.65;    // above this share of matched points it is not AF
    bool prematureFilter = true; // leave out short-long pairs of an isolated premature beat
    double bridgeS = 10;         // shorter gaps inside AF are AF
    double minEpisodeS = 30;     // shorter episodes are dropped
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
