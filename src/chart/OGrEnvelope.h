#pragma once
// Lowest and highest value over any index range of a long sample array, in
// time proportional to the logarithm of the range: block extremes of 32, 32^2,
// ... samples. A function series built on such an array answers
// OGrLine::GetValueRange with it, so a chart column over tens of thousands of
// samples costs a few hundred operations. Samples outside (-1e100, 1e100)
// are missing values and never count.
#include "GrDefs.h"

#include <algorithm>
#include <cstdint>
#include <vector>

class OGrEnvelope {
public:
    static constexpr int kFanOut = 32;

    // sample(i) gives sample i for 0 <= i < count.
    template <typename F> void Build(int64_t count, F sample);

    // Extremes of the samples [i0, i1) (clipped to the array); false when
    // there is no valid sample there.
    template <typename F> bool Range(int64_t i0, int64_t i1, F sample, double* lo, double* hi) const;

    int64_t Count() const { return m_Count; }

private:
    struct Level {
        std::vector<double> lo, hi;
    };
    // m_Levels[k] holds the extremes of blocks of kFanOut^(k+1) samples.
    std::vector<Level> m_Levels;
    int64_t m_Count = 0;
};

template <typename F> void OGrEnvelope::Build(int64_t count, F sample)
{
    m_Count = count;
    m_Levels.clear();
    Level first;
    const int64_t blocks = (count + kFanOut - 1) / kFanOut;
    first.lo.assign(blocks, kGrNone);
    first.hi.assign(blocks, -kGrNone);
    for (int64_t b = 0; b < blocks; ++b) {
        double lo = kGrNone, hi = -kGrNone;
        const int64_t end = std::min(count, (b + 1) * kFanOut);
        for (int64_t i = b * kFanOut; i < end; ++i) {
            const double v = sample(i);
            if (GrValid(v)) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
        first.lo[b] = lo;
        first.hi[b] = hi;
    }
    m_Levels.push_back(std::move(first));
    while (m_Levels.back().lo.size() > 1) {
        const Level& below = m_Levels.back();
        Level up;
        const size_t n = (below.lo.size() + kFanOut - 1) / kFanOut;
        up.lo.assign(n, kGrNone);
        up.hi.assign(n, -kGrNone);
        for (size_t i = 0; i < below.lo.size(); ++i) {
            up.lo[i / kFanOut] = std::min(up.lo[i / kFanOut], below.lo[i]);
            up.hi[i / kFanOut] = std::max(up.hi[i / kFanOut], below.hi[i]);
        }
        m_Levels.push_back(std::move(up));
    }
}

template <typename F>
bool OGrEnvelope::Range(int64_t i0, int64_t i1, F sample, double* lo, double* hi) const
{
    i0 = std::max<int64_t>(i0, 0);
    i1 = std::min(i1, m_Count);
    double l = kGrNone, h = -kGrNone;
    auto takeSamples = [&](int64_t from, int64_t to) {
        for (int64_t i = from; i < to; ++i) {
            const double v = sample(i);
            if (GrValid(v)) {
                l = std::min(l, v);
                h = std::max(h, v);
            }
        }
    };
    // Walk up: at each level take the unaligned edges, continue with the
    // whole blocks in between one level higher.
    int64_t a = i0, b = i1; // in units of the current level
    for (size_t k = 0; a < b; ++k) {
        const int64_t ua = (a + kFanOut - 1) / kFanOut, ub = b / kFanOut;
        if (k >= m_Levels.size() || ua >= ub) {
            // No whole block of the next level inside: take this level's items.
            if (k == 0)
                takeSamples(a, b);
            else
                for (int64_t j = a; j < b; ++j) {
                    l = std::min(l, m_Levels[k - 1].lo[j]);
                    h = std::max(h, m_Levels[k - 1].hi[j]);
                }
            break;
        }
        auto takeItems = [&](int64_t from, int64_t to) {
            if (k == 0) {
                takeSamples(from, to);
                return;
            }
            for (int64_t j = from; j < to; ++j) {
                l = std::min(l, m_Levels[k - 1].lo[j]);
                h = std::max(h, m_Levels[k - 1].hi[j]);
            }
        };
        takeItems(a, ua * kFanOut);
        takeItems(ub * kFanOut, b);
        a = ua;
        b = ub;
    }
    *lo = l;
    *hi = h;
    return l <= h;
}
