#pragma once
// The NN rule of the Holter report, shared with the event list's minute
// rates so that both decide alike: an RR interval is NN when both its beats
// are unflagged and normal (N or not classified), it lies within 300-2000 ms,
// and within 20 % of the median of up to five intervals on each side.
#include "OImpulse.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

inline constexpr double kNnMinMs = 300;
inline constexpr double kNnMaxMs = 2000;
inline constexpr double kNnMedianTolerance = 0.20;
inline constexpr int kNnMedianSide = 5;
inline constexpr double kMinuteMinNnS = 30; // NN time a minute needs for its heart rate

// A beat that may end an NN interval: normal, or not classified.
inline bool NnClass(char beatClass)
{
    return beatClass == kBeatNormal || beatClass == kBeatUnclassified;
}

// The median of values (reordered); the mean of the middle two for an even count.
inline double MedianOf(std::vector<double>& values)
{
    const size_t n = values.size();
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n / 2), values.end());
    const double upper = values[n / 2];
    if (n % 2)
        return upper;
    const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n / 2));
    return (lower + upper) / 2;
}

// Whether interval i of count (rrMsAt(j) gives interval j) lies within the
// tolerance of its neighbours' median; true without neighbours. scratch is
// reused between calls so that a pass over a day allocates once.
template <class RrMsAt>
bool NearNeighbourMedian(RrMsAt rrMsAt, size_t count, size_t i, std::vector<double>& scratch)
{
    scratch.clear();
    const size_t side = static_cast<size_t>(kNnMedianSide);
    for (size_t j = i >= side ? i - side : 0; j < std::min(count, i + side + 1); ++j)
        if (j != i)
            scratch.push_back(rrMsAt(j));
    if (scratch.empty())
        return true;
    const double median = MedianOf(scratch);
    return std::abs(rrMsAt(i) - median) <= kNnMedianTolerance * median;
}
