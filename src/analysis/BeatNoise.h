#pragma once
// Which beats are too noisy or too damaged to classify (class Q): the QRS's
// extreme held flat for 16 ms (the amplifier or the converter clipped), or a
// signal before the QRS that wiggles by more than kNoisy of the QRS's height
// per sample (the mean |second difference| of the raw samples over 200 ms:
// muscle noise and electrode motion have it, the P wave and the baseline's
// slow wander do not). Such beats are kept out of the templates, so noise
// cannot make a shape of its own and be called ventricular.
//
// Beats that pass but are noisier than kNoisierThanUsual times this
// recording's median beat (and than kNoisyAtLeast) are Q as well: what
// counts as noisy depends on the recorder and the skin, so each recording is
// its own measure.
#include "BeatFeatures.h"

#include <algorithm>

namespace beat {

inline constexpr double kNoisy = 0.06;
inline constexpr double kNoisierThanUsual = 3;
inline constexpr double kNoisyAtLeast = 0.004;

inline double NoisyAbove(double medianNoise)
{
    return std::max(kNoisierThanUsual * medianNoise, kNoisyAtLeast);
}

inline bool IsUnclassifiable(const OBeatFeatures& f)
{
    return f.clipped || f.amplitude <= 0 || f.noise > kNoisy;
}

} // namespace beat
