#pragma once
// The filtered ECG and the threshold of the last pass over any span of output
// positions, recomputed from the raw samples on demand, equal to what the pass
// computed sample by sample (tests/analysis compares them over whole
// recordings).
//
// Why it is exact: the baseline window and the two box sums of the matched
// filter are running sums of whole numbers, exact in doubles, so the output
// at raw sample t depends only on the raw samples t - 2·NA - 2·NI .. t. A run
// started cold (empty lines, zero sums) therefore gives the very same values
// after a warm-up of (2·NA + 1) + 2·(NI + 1) samples; before the file's start
// the pass behaves as if the first sample had always been there, which the
// warm-up reproduces with copies of it. The threshold is recursive, but it
// depends only on its own small state and the filter output, never on the
// impulses: the pass stores that state every kCheckpointSectors sectors, and
// the threshold is run on from the nearest checkpoint at or before the span.
//
// One object keeps its run between calls: consecutive spans (a chart painting
// left to right, the EDF+ export record by record) continue without warm-up.
#include "OEKGFilter.h"

#include <algorithm>
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <vector>

class OEcgFile;

// A filter value as the pass stores it: clamped, then truncated toward zero.
// With SSE2 a max, a min and a conversion, without branches.
inline int16_t FilteredSample(double v)
{
#ifdef __SSE2__
    const __m128d clamped = _mm_min_sd(_mm_max_sd(_mm_set_sd(v), _mm_set_sd(-32768.0)), _mm_set_sd(32767.0));
    return static_cast<int16_t>(_mm_cvttsd_si32(clamped));
#else
    return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
#endif
}

class OFilteredSpan {
public:
    // The threshold's state is kept before raw sample k·kCheckpointSectors·234.
    // Every 4 sectors (936 samples, 6 bytes a sector): a span far from the
    // last one costs at most that many samples more than its warm-up.
    static constexpr int64_t kCheckpointSectors = 4;
    using OCheckpoints = std::vector<OEKGFilter::OThresholdState>;

    // file: the open recording the pass read; shape: its filter
    // (OEcgFile::FilterShape()); count: the output positions it produced
    // (OEcgFile::ProcessedN()); checkpoints: the threshold's states
    // (OPassDisplay), or nullptr, when the threshold is run from the file's
    // start. The file and the checkpoints must outlive the object.
    OFilteredSpan(const OEcgFile& file, const OEKGFilter::OShape& shape, int64_t count,
                  const OCheckpoints* checkpoints);

    int64_t Count() const { return m_Count; }
    // Output positions [first, first + n) as the pass stores them: the
    // filtered ECG into filtered and the threshold into threshold (either may
    // be nullptr). Returns how many were written: fewer past Count() or at a
    // read error, 0 for a span outside.
    int64_t Compute(int64_t first, int64_t n, int16_t* filtered, int16_t* threshold);

private:
    void Restart(int64_t t0, bool withThreshold);
    // Raw samples [from, to) into m_Raw; returns how many came.
    int64_t Fetch(int64_t from, int64_t to);
    double Step(double x)
    {
        m_S += x - m_L1[(m_I1 - m_TwoNA) & m_L1Mask];
        m_I1 = (m_I1 + 1) & m_L1Mask;
        m_L1[m_I1] = x;
        const double scaledY = m_Shape.window * m_L1[(m_I1 - m_NA) & m_L1Mask] - m_S;
        m_Tap = (m_Tap + 1) & m_TapMask;
        const uint32_t oldTap = (m_Tap - m_NI1) & m_TapMask;
        m_Box1 += scaledY - m_YTaps[oldTap];
        m_YTaps[m_Tap] = scaledY;
        m_Box2 += m_Box1 - m_Box1Taps[oldTap];
        m_Box1Taps[m_Tap] = m_Box1;
        return m_Box2 * m_Shape.kernelScale;
    }

    const OEcgFile& m_File;
    const OEKGFilter::OShape m_Shape;
    const int64_t m_Count;
    const OCheckpoints* m_Checkpoints;
    const int64_t m_Delay; // raw sample of output position 0
    const int64_t m_Warm;  // samples a cold run needs before its values are exact
    const uint32_t m_NA, m_TwoNA, m_NI1;
    uint32_t m_L1Mask = 0, m_TapMask = 0;
    double m_First = 0; // raw sample 0, what the pass assumes before it

    // The run: state as just before raw sample m_Next.
    bool m_Started = false;
    int64_t m_Next = 0;
    bool m_ThresholdRuns = false;
    int64_t m_ThresholdFrom = 0;
    OEKGFilter::OThresholdState m_Threshold;
    std::vector<double> m_L1, m_YTaps, m_Box1Taps;
    double m_S = 0, m_Box1 = 0, m_Box2 = 0;
    uint32_t m_I1 = 0, m_Tap = 0;

    std::vector<uint8_t> m_Sectors;
    std::vector<double> m_Raw;
};
