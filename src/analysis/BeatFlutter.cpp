#include "BeatFlutter.h"

#include "EcgTime.h"

#include <algorithm>
#include <cstdlib>

namespace beat {

namespace {

// Detections between two intervals shorter than kBriefMs, in a run of at
// least kBriefRun of them.
void MarkBriefRuns(const OImpulse* b, int64_t count, std::vector<uint8_t>& flutter)
{
    const double brief = kBriefMs / 1000.0 * kSampleRate;
    auto isBrief = [&](int64_t k) { return k > 0 && k < count && b[k].Pos - b[k - 1].Pos < brief; };
    for (int64_t k = 1; k < count;) {
        if (!isBrief(k)) {
            ++k;
            continue;
        }
        int64_t e = k;
        while (isBrief(e))
            ++e;
        // intervals k .. e-1 are brief: detections k .. e-2 lie between two of them
        if (e - k >= kBriefRun)
            for (int64_t i = k; i + 1 < e; ++i)
                flutter[size_t(i)] = 1;
        k = e;
    }
}

template <class T>
T Median(std::vector<T>& v)
{
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Detections whose neighbourhood (kSpan either side) is fast and has no
// baseline.
void MarkOscillation(const OImpulse* b, int64_t count, const std::vector<float>& level,
                     std::vector<uint8_t>& flutter)
{
    const double fast = kFastMs / 1000.0 * kSampleRate;
    std::vector<int64_t> intervals;
    std::vector<float> levels;
    std::vector<uint8_t> oscillation(flutter.size(), 0);
    for (int64_t i = kSpan; i + kSpan < count; ++i) {
        intervals.clear();
        levels.clear();
        for (int64_t k = i - kSpan; k <= i + kSpan; ++k) {
            if (k > i - kSpan)
                intervals.push_back(b[k].Pos - b[k - 1].Pos);
            levels.push_back(level[size_t(k)]);
        }
        if (double(Median(intervals)) < fast && Median(levels) < kLevelShare)
            oscillation[size_t(i)] = 1;
    }
    // The stretch reaches on, wave by wave, while the waves stay fast and
    // nearly without baseline.
    auto joins = [&](int64_t k, int64_t from) {
        return level[size_t(k)] < kLevelShareNear && std::llabs(b[k].Pos - b[from].Pos) < fast;
    };
    for (int64_t i = 1; i < count; ++i)
        if (oscillation[size_t(i - 1)] && !oscillation[size_t(i)] && joins(i, i - 1))
            oscillation[size_t(i)] = 1;
    for (int64_t i = count - 2; i >= 0; --i)
        if (oscillation[size_t(i + 1)] && !oscillation[size_t(i)] && joins(i, i + 1))
            oscillation[size_t(i)] = 1;
    for (size_t i = 0; i < oscillation.size(); ++i)
        flutter[i] |= oscillation[i];
}

} // namespace

std::vector<uint8_t> FlutterWaves(const OImpulse* b, int64_t count, const std::vector<float>& level)
{
    std::vector<uint8_t> flutter(size_t(std::max<int64_t>(count, 0)), 0);
    MarkBriefRuns(b, count, flutter);
    MarkOscillation(b, count, level, flutter);
    return flutter;
}

} // namespace beat
