#include "BeatFeatures.h"

#include <algorithm>
#include <cmath>

namespace beat {

namespace {
constexpr int kSlopeReach = 40; // quarter-rate samples either side of the R-peak searched for the QRS
constexpr double kSlopeTail = 0.05;
constexpr int kFlatRun = 16; // raw samples
} // namespace

OQrsExtent FindQrs(const float* wave)
{
    const int from = kPre - kSlopeReach;
    const int to = std::min(kPre + kSlopeReach, kWindow - 1);
    double energy[2 * kSlopeReach + 1];
    double total = 0;
    for (int k = from; k < to; ++k) {
        const double d = wave[k + 1] - wave[k];
        total += d * d;
        energy[k - from] = total;
    }
    OQrsExtent e;
    if (total <= 0)
        return e;
    int k = from;
    while (k < to - 1 && energy[k - from] < kSlopeTail * total)
        ++k;
    e.onset = k;
    while (k < to - 1 && energy[k - from] < (1 - kSlopeTail) * total)
        ++k;
    e.end = k + 1;
    e.onset = std::min(e.onset, kPre);
    e.end = std::max(e.end, kPre);
    return e;
}

double QrsAmplitude(const float* wave, const OQrsExtent& extent)
{
    const auto [lo, hi] = std::minmax_element(wave + extent.onset, wave + extent.end + 1);
    return *hi - *lo;
}

double QrsArea(const float* wave, const OQrsExtent& extent)
{
    const double level = wave[extent.onset];
    double area = 0;
    for (int k = extent.onset; k <= extent.end; ++k)
        area += std::fabs(wave[k] - level);
    return area * kMsPerPoint;
}

double BaselineShare(const float* wave, int length)
{
    if (length < 3)
        return 1;
    const auto [lo, hi] = std::minmax_element(wave, wave + length);
    const double step = kLevelSlope * double(*hi - *lo);
    int level = 0;
    for (int k = 1; k + 1 < length; ++k)
        level += std::fabs(double(wave[k + 1] - wave[k - 1])) <= step;
    return double(level) / (length - 2);
}

void MeasureBeat(const int16_t* raw, OBeatFeatures& out)
{
    for (int k = 0; k < kWindow; ++k) {
        const int16_t* x = raw + k * kDecimation;
        out.wave[k] = 0.25f * static_cast<float>(x[0] + x[1] + x[2] + x[3]);
    }
    out.qrs = FindQrs(out.wave.data());
    out.amplitude = static_cast<float>(QrsAmplitude(out.wave.data(), out.qrs));
    out.level = static_cast<float>(BaselineShare(out.wave.data(), kWindow));

    // Noise: the wiggle of the raw signal over the 200 ms before the QRS,
    // where a clean ECG holds only the slow P wave.
    const int noiseEnd = std::max(out.qrs.onset * kDecimation - 8, 2);
    const int noiseFrom = std::max(noiseEnd - 195, 1);
    double wiggle = 0;
    for (int i = noiseFrom; i < noiseEnd; ++i)
        wiggle += std::abs(raw[i + 1] - 2 * raw[i] + raw[i - 1]);
    wiggle /= std::max(noiseEnd - noiseFrom, 1);
    out.noise = out.amplitude > 0 ? static_cast<float>(wiggle / out.amplitude) : 1.0f;

    // Clipping: the QRS's extreme held flat.
    const int a = out.qrs.onset * kDecimation, b = std::min((out.qrs.end + 1) * kDecimation, kRawWindow);
    const auto [lo, hi] = std::minmax_element(raw + a, raw + b);
    int run = 0, longest = 0;
    for (int i = a; i < b; ++i) {
        run = (raw[i] == *lo || raw[i] == *hi) && i > a && raw[i] == raw[i - 1] ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    out.clipped = longest >= kFlatRun && *hi > *lo;
}

} // namespace beat
