#pragma once
// A small synthetic ECG for the beat classifier's tests: each beat a sum of
// Gaussians at 976.5625 Hz in device units around 5000. A normal beat has a
// P wave, a narrow QRS and a T wave; a ventricular one a wide biphasic QRS,
// no P and a large opposite T (and one of another focus, the same upside
// down); an atrial premature one a narrow QRS after a
// changed (inverted) P. Noise is added around chosen beats.
#include "OImpulse.h"

#include <cstdint>
#include <string>
#include <vector>

struct OSyntheticBeat {
    char kind;      // 'N' normal, 'A' atrial premature, 'V' ventricular, 'W' ventricular of another focus
    double rrMs;    // interval from the beat before
    bool noisy = false;
    double noiseSd = 250; // of the noise a noisy beat gets
};

struct OSyntheticEcg {
    std::vector<int16_t> samples;
    std::vector<OImpulse> impulses; // at the R-peaks, unclassified, no flags
};

OSyntheticEcg MakeSyntheticEcg(const std::vector<OSyntheticBeat>& beats);

// Beats from a pattern string, one letter a beat ('N', 'A', 'V', 'W'; 'n' a
// noisy normal beat) at a basic interval: 'A', 'V' and 'W' come at coupling·rr, the beat
// after them at (2 - coupling)·rr for 'V' (a full compensatory pause) and at
// rr for 'A' (the sinus node reset).
std::vector<OSyntheticBeat> BeatPattern(const std::string& pattern, double rrMs, double coupling = 0.65);

// The classes the classifier gave, as a string.
std::string ClassString(const std::vector<OImpulse>& impulses);
