#pragma once
// The beat classifier: gives every impulse one class of the ANSI/AAMI EC57
// scheme in OImpulse::Class (N, S, V or Q; fusion beats are not told apart
// and fall to N or V), after either detector. Flags are not touched.
//
// Method: per-recording morphology clustering with rhythm rules, after
// Hamilton's open-source ECG analysis (OSEA, 2002: QRS templates, width,
// prematurity and the compensatory pause, noise checks, one file per
// concern) and the per-record clustering of Teijeiro et al. (2018, the
// dominant cluster of a recording as its normal beat). Nothing is trained on
// patients: each recording learns its own shapes afresh. The samples around
// each beat come through one seam (BeatSamples), in order.
//  1. Features (BeatFeatures): 492 ms around each R-peak at 244 Hz; the QRS
//     from its slope energy (width, height), noise before it, clipping.
//  2. Noise (BeatNoise): clipped or grossly noisy beats are Q and join no
//     template; so is a beat whose noise is three times the recording's
//     median beat's, or half that when its shape is rare (a cluster of at
//     most three beats): a noisy odd shape alone is more likely noise.
//  3. Templates (BeatTemplates): beats clustered by QRS correlation.
//  4. The reference (normal) shape is the largest cluster, unless it looks
//     like an escape rhythm of the ventricles: wide (slope-energy width of
//     70 ms and more, where normal beats read 45 to 66), no P wave in its averaged
//     template (a bump that rises and returns by 5 % of the QRS height in the
//     250 ms before it) and slower than 50 bpm. Then the largest cluster
//     that is narrow or has a P wave and holds a tenth of the beats is the
//     reference; failing that, the largest cluster is called ventricular
//     with every cluster shaped like it, and the result says so
//     (ventricularRhythm). Being the majority alone does not make a beat
//     normal.
//  5. Each cluster against the reference: QRS 25 ms wider is ventricular,
//     unless beat after beat it keeps the sinus rhythm's time (neither early
//     nor followed by a pause: bundle branch block); correlation of 0.95 or
//     more is supraventricular; in between, it is ventricular when it
//     differs (correlation under 0.8, 12 ms wider, or 1.5 times higher or
//     lower), is not narrower than a narrow reference, and its timing is
//     ectopic: most of its beats in a regular rhythm come early, or in an
//     irregular one its coupling intervals vary less than half as much as the
//     reference's (a ventricular focus keeps its coupling, conducted beats
//     in atrial fibrillation do not).
//  6. Rhythm (BeatRhythm): the local reference interval, prematurity and
//     irregularity. A supraventricular-shaped beat in a regular rhythm
//     sooner than 90 % of the reference, after an interval between two
//     supraventricular beats on time, is S when alone with the sinus node's
//     reset pause after it (its next interval 15 % of the reference longer
//     than its own), or as the abrupt start of a run (under 80 %, and 15 %
//     shorter than the interval before), or following an S beat in a run.
//     In an irregular rhythm (atrial fibrillation) it is N.
//  7. Not beats: a detection that splits one interval of a regular rhythm
//     close to one end (a P or T wave, or noise) is Q, and so are the waves
//     of ventricular flutter (BeatFlutter): a sustained run faster than
//     240 bpm, or a stretch faster than 160 bpm whose waves have no baseline
//     between them.
//  8. Runs (BeatRunContext): a beat that is Q only for the recording's noise
//     bar, with a ventricular template matching its neighbour's, is V when it
//     makes a run of three with two clean V beats at 100 bpm or faster: one
//     noisy beat does not break a salvo of PVCs.
//
// Measured with bench_classification on the 22 labelled MIT-BIH DS1 records
// (first 30:05, MLII, 976.5625 Hz), end to end with the precise detector,
// EC57 rules (150 ms one to one, a missed beat against Se, reference Q left
// out, reference F called V not against VEB +P); Se / +P in %:
//
//   record      VEB Se / +P       SVEB Se / +P    (V, S beats)
//   gross       95.46 / 93.36     81.04 / 72.10   (3788, 944)
//   The README has the per-record table. Ventricular flutter in mitdb-207
//   (no beats labelled there) still costs some VEB +P at its edges: without
//   the detections in it VEB +P is 94.9. mitdb-108 (large P waves, noise, a
//   cluster of normal beats read wide), mitdb-201 (aberrant APCs called V,
//   nodal rhythm), mitdb-203 (atrial fibrillation with multiform PVCs),
//   mitdb-124 (junctional beats on time) and mitdb-220 (APC runs dense
//   enough to read as irregular) are the weak ones. The simulator's ectopy
//   (ten minutes each at 50, 75, 100, 125 and 150 bpm): all 281 PVCs and
//   204 APCs classed right.
//
// Cost: one pass reading 492 ms of samples per beat through the seam, a few
// 54-point correlations per beat, two passes over the intervals; 0.30 s of
// one core and 4.9 MB of heap at most for a day of 100 000 beats
// (bench_classification), of which 2.9 MB are the at most 4096 templates.
#include "BeatSamples.h"
#include "OImpulse.h"

#include <cstdint>
#include <vector>

struct OBeatClusterInfo {
    int64_t beats = 0;
    double widthMs = 0;     // slope-energy width of the template's QRS
    double amplitude = 0;   // raw units
    double correlation = 0; // with the reference template
    bool pWave = false;
    char verdict = 0; // 'N' supraventricular shape, 'V' ventricular
};

struct OBeatClassification {
    int reference = -1;             // the reference cluster
    bool ventricularRhythm = false; // no cluster looked supraventricular
    std::vector<OBeatClusterInfo> clusters;
};

// Classifies impulses[0 .. count) in place; samples gives the raw ECG.
OBeatClassification ClassifyBeats(OImpulse* impulses, int64_t count, const OSampleSource& samples);

// Each beat's features are measured a block of beats ahead on a thread of
// its own; the classes do not depend on the block's size, which a test
// checks through this form.
inline constexpr int64_t kFeatureBlockBeats = 4096;
OBeatClassification ClassifyBeats(OImpulse* impulses, int64_t count, const OSampleSource& samples,
                                  int64_t featureBlockBeats);
