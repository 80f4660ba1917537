#pragma once
// The beat classifier: gives every impulse one class of the ANSI/AAMI EC57
// scheme in OImpulse::Class (N, S, V or Q; F is not told apart and fusion
// beats fall to N or V), after either detector. Flags are not touched.
//
// Method: per-recording morphology clustering with rhythm rules, in the
// manner of Hamilton's open-source ECG analysis (OSEA, 2002: templates,
// QRS width, prematurity and the compensatory pause, noise checks) and the
// per-record clustering of Teijeiro et al. (2018, where the dominant cluster
// of a recording is its normal beat). Nothing is trained on patients: each
// recording learns its own shapes afresh.
//  1. Features (BeatFeatures): 492 ms around each R-peak at 244 Hz, the QRS
//     extent from its slope energy, amplitude, noise, clipping.
//  2. Noise (BeatNoise): clipped or noisy beats are Q and join no template.
//  3. Templates (BeatTemplates): beats clustered by QRS correlation.
//  4. The reference shape: the largest cluster whose QRS looks
//     supraventricular, that is narrow (slope-energy width under kNarrowMs)
//     or preceded by a P wave in its averaged template (a bump of at least
//     kPWave of the QRS height in the 250 ms before the QRS, over a straight
//     baseline). Being the majority is not enough: when no cluster passes
//     (an idioventricular or paced-like rhythm, every beat wide and without
//     P) the largest cluster is itself called ventricular, together with
//     every cluster shaped like it; the result says so (ventricularRhythm).
//  5. Each cluster against the reference: shaped like it (correlation at
//     least kSameShape, QRS less than kWiderMs wider) is supraventricular;
//     clearly wider (kWiderMs) or unlike (correlation under kOtherShape) is
//     ventricular; in between, it is ventricular when most of its beats come
//     early (BeatRhythm), as ectopic beats do and a changed axis does not.
//  6. Rhythm (BeatRhythm): a supraventricular-shaped beat that comes early
//     (under 87 % of the local reference interval) in a regular rhythm is S;
//     in an irregular rhythm (atrial fibrillation) it is N.
//
// Measured with bench_classification (MIT-BIH DS1, end to end with the
// precise detector, EC57 rules): see the README's table.
//
// Cost: one pass over the beats reading 492 ms of samples each through the
// seam, a few correlations of 54 points per beat, and per beat a few bytes
// of working state (about 2 MB for 100 000 beats) plus at most 4096
// templates of 480 bytes.
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
