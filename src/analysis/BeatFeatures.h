#pragma once
// What the beat classifier measures of one beat, from the raw samples around
// its R-peak: the beat's shape at a quarter of the sampling rate (the window
// templates are averaged over and compared on), the QRS onset and end, width,
// peak-to-peak amplitude and area, the noise before the QRS and clipping.
//
// The QRS is where the signal's slope is: onset and end are the points that
// leave 5 % of the squared slope (first differences of the quarter-rate
// signal, 164 ms either side of the R-peak) before and after them. Unlike a
// threshold on the slope this needs no calibration of units and follows a
// wide, slurred QRS as well as a sharp one; it reads shorter than the
// QRS duration read by eye (the normal beats of the MIT-BIH records read 45
// to 66 ms, their bundle branch blocks 80 to 95, their PVCs 95 to 280).
#include <array>
#include <cstdint>

namespace beat {

inline constexpr int kDecimation = 4;           // 244 Hz
inline constexpr int kPre = 72;                 // quarter-rate samples before the R-peak (295 ms)
inline constexpr int kPost = 48;                // and from it on (197 ms)
inline constexpr int kWindow = kPre + kPost;    // quarter-rate samples of a beat
inline constexpr int kRawPre = kPre * kDecimation;
inline constexpr int kRawWindow = kWindow * kDecimation;
inline constexpr int kQrsFrom = kPre - 24;      // compared QRS: 98 ms before the R-peak
inline constexpr int kQrsLength = 54;           // to 123 ms after it
inline constexpr double kMsPerPoint = 4.096;

using OWave = std::array<float, kWindow>;

struct OQrsExtent {
    int onset = kPre; // quarter-rate index
    int end = kPre;
    double WidthMs() const { return (end - onset) * kMsPerPoint; }
};

// Onset and end of the QRS in a quarter-rate wave (the R-peak at kPre).
OQrsExtent FindQrs(const float* wave);
// Peak-to-peak amplitude and area (sum of |wave - onset level| · ms) of
// wave[extent].
double QrsAmplitude(const float* wave, const OQrsExtent& extent);
double QrsArea(const float* wave, const OQrsExtent& extent);

struct OBeatFeatures {
    OWave wave{};     // quarter-rate means of the raw samples
    OQrsExtent qrs;
    float amplitude = 0; // raw units, peak to peak within the QRS
    float noise = 0;     // mean |second difference| of the raw samples before the QRS, per amplitude
    bool clipped = false; // a flat run of 16 ms at the QRS's extreme
    float level = 0;      // share of the window where the signal is level (BaselineShare)
};

// The share of a quarter-rate wave where it is level: its change over two
// points (8 ms) under kLevelSlope of the wave's peak-to-peak range. A beat
// with a baseline between its waves has much of it (normal beats and PVCs
// read 0.4 to 0.8 in the MIT-BIH records); the sine-like oscillation of
// ventricular flutter has little (0.15 to 0.35).
inline constexpr double kLevelSlope = 0.02;
double BaselineShare(const float* wave, int length);

// raw: kRawWindow samples, the R-peak at kRawPre.
void MeasureBeat(const int16_t* raw, OBeatFeatures& out);

} // namespace beat
