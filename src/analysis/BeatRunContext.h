#pragma once
// A noisy beat inside a run of ventricular beats keeps the run's class: the
// look at the neighbours after classification that Hamilton's OSEA makes
// (postclas), and what a Holter analyst does by eye when one beat of a
// salvo of PVCs is noisy.
//
// The recording's own noise bar (BeatNoise) makes a noisy beat Q even when
// its QRS was clear enough to join a template, so that noise cannot make a
// shape of its own and be called ventricular. Such a beat is V instead when
//  - its template is ventricular,
//  - with two ventricular beats that were not noisy it makes three in a row
//    (before it, after it, or one either side), each interval at run pace:
//    kRunPaceBpm or faster, the rate that makes 3 V beats a ventricular
//    tachycardia,
//  - its template matches that of a ventricular neighbour (correlation
//    kRunShapeMatch or more): the same focus, not an artefact that happens
//    to be wide, and
//  - no wave of ventricular flutter (BeatFlutter) lies within two beats of
//    it: where flutter ends is not clear-cut, and a noisy detection there is
//    more likely one of its waves.
// A noisy beat beside a single PVC, at a slower pace, or of a shape of its
// own stays Q: the rule keeps runs together and makes no new ones. Only the
// classes the beats had before this step are read, so two noisy beats never
// vouch for each other, whatever their order.
//
// Measured on the MIT-BIH DS1 records end to end (bench_classification,
// bench_rhythm): 1 noisy PVC of mitdb-203 that broke a 3-beat run is V, which
// finds that `(VT` episode; no other beat changes. Without the shape and
// flutter conditions, or beside a single PVC, it also turned normal beats,
// false detections in noise and waves at the end of the flutter of
// mitdb-207 into V.
#include "OImpulse.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace beat {

inline constexpr double kRunPaceBpm = 100;
inline constexpr double kRunShapeMatch = 0.8;
inline constexpr int64_t kFlutterMargin = 2; // beats

// noisyVentricular[i]: impulses[i] is Q only for the noise bar, and its
// template is ventricular; flutter[i]: a wave of flutter (FlutterWaves).
// templateMatch(i, k): the correlation of the templates of beats i and k.
// Makes the noisy beats that sit in a ventricular run V.
void KeepVentricularRuns(OImpulse* impulses, int64_t count, const std::vector<uint8_t>& noisyVentricular,
                         const std::vector<uint8_t>& flutter,
                         const std::function<double(int64_t, int64_t)>& templateMatch);

} // namespace beat
