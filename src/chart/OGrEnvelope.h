#pragma once
// Lowest and highest value over any index range of a long sample array, in
// time proportional to the logarithm of the range: block extremes of 32, 32^2,
// ... samples. A function series built on such an array answers
// OGrLine::GetValueRange with it, so a chart column over tens of thousands of
// samples costs a few hundred operations. Samples outside (-1e100, 1e100)
// are missing values and never count.
//
// A query is bound by memory latency (every level's edge blocks lie far
// apart), so the extremes are stored as adjacent pairs, and in single
// precision when every sample is exact in it (whole numbers such as ECG
// samples are): half the cache lines per query, with exact answers.
#include "GrDefs.h"
#include "GrLargeAllocator.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

class OGrEnvelope {
public:
    static constexpr int kFanOut = 32;

    // sample(i) gives sample i for 0 <= i < count.
    template <typename F> void Build(int64_t count, F sample);
    // From extremes of consecutive blocks of kFanOut samples kept elsewhere
    // (as a processing pass streams the samples by): block(b, &lo, &hi)
    // lowers lo to the block's lowest and raises hi to its highest value, for
    // 0 <= b < ceil(count / kFanOut), and leaves them alone for a block
    // without a valid sample. The blocks are not copied: block is kept
    // and asked again by Range (a few dozen blocks a query), so what it reads
    // must outlive the envelope or its next Build.
    using BlockFunction = std::function<void(int64_t b, double* lo, double* hi)>;
    template <typename F> void BuildFromBlocks(int64_t count, F block);

    // Extremes of the samples [i0, i1) (clipped to the array); false when
    // there is no valid sample there.
    template <typename F> bool Range(int64_t i0, int64_t i1, F sample, double* lo, double* hi) const;

    int64_t Count() const { return m_Count; }

private:
    template <typename T> struct Extremes {
        T lo, hi;
    };
    // levels[k] holds the extremes of blocks of kFanOut^(k+1) samples.
    template <typename T> using Level = std::vector<Extremes<T>, GrLargeAllocator<Extremes<T>>>;
    template <typename T> using Levels = std::vector<Level<T>>;

    template <typename T, typename F> void BuildUpper(Levels<T>& levels, int64_t blocks, F block);
    template <typename T, typename F>
    bool RangeIn(const Levels<T>& levels, int64_t i0, int64_t i1, F sample, double* lo, double* hi) const;
    // Extremes of n > 0 items. Four independent minima and maxima: one
    // running pair would wait for every comparison in turn.
    template <typename T> static Extremes<T> Scan(const Extremes<T>* items, int64_t n)
    {
        Extremes<T> a = items[0], b = a, c = a, d = a;
        int64_t j = 1;
        for (; j + 4 <= n; j += 4) {
            a = {std::min(a.lo, items[j].lo), std::max(a.hi, items[j].hi)};
            b = {std::min(b.lo, items[j + 1].lo), std::max(b.hi, items[j + 1].hi)};
            c = {std::min(c.lo, items[j + 2].lo), std::max(c.hi, items[j + 2].hi)};
            d = {std::min(d.lo, items[j + 3].lo), std::max(d.hi, items[j + 3].hi)};
        }
        for (; j < n; ++j)
            a = {std::min(a.lo, items[j].lo), std::max(a.hi, items[j].hi)};
        return {std::min({a.lo, b.lo, c.lo, d.lo}), std::max({a.hi, b.hi, c.hi, d.hi})};
    }

    Levels<float> m_Single;
    Levels<double> m_Double; // used when some sample is not exact as a float
    // The first level when it is kept elsewhere (levels[0] then stays empty).
    BlockFunction m_Blocks;
    int64_t m_Count = 0;
};

template <typename F> void OGrEnvelope::Build(int64_t count, F sample)
{
    m_Count = count;
    m_Single.clear();
    m_Double.clear();
    m_Blocks = nullptr;
    const int64_t blocks = (count + kFanOut - 1) / kFanOut;
    std::vector<Extremes<double>> first(static_cast<size_t>(blocks));
    bool single = true;
    for (int64_t b = 0; b < blocks; ++b) {
        double lo = kGrNone, hi = -kGrNone;
        const int64_t end = std::min(count, (b + 1) * kFanOut);
        for (int64_t i = b * kFanOut; i < end; ++i) {
            const double v = sample(i);
            if (GrValid(v)) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
                single = single && static_cast<double>(static_cast<float>(v)) == v;
            }
        }
        first[static_cast<size_t>(b)] = {lo, hi};
    }
    const auto block = [&first](int64_t b) { return first[static_cast<size_t>(b)]; };
    if (single)
        BuildUpper(m_Single, blocks, block);
    else
        BuildUpper(m_Double, blocks, block);
}

template <typename F> void OGrEnvelope::BuildFromBlocks(int64_t count, F block)
{
    m_Count = count;
    m_Single.clear();
    m_Double.clear();
    const int64_t blocks = (count + kFanOut - 1) / kFanOut;
    // The second level from the blocks, in double precision; the rest as
    // Build does, in single precision when that is exact.
    std::vector<Extremes<double>> second(static_cast<size_t>((blocks + kFanOut - 1) / kFanOut),
                                         Extremes<double>{kGrNone, -kGrNone});
    bool single = true;
    for (int64_t b = 0; b < blocks; ++b) {
        double lo = kGrNone, hi = -kGrNone;
        block(b, &lo, &hi);
        if (lo > hi)
            continue;
        single = single && static_cast<double>(static_cast<float>(lo)) == lo &&
                 static_cast<double>(static_cast<float>(hi)) == hi;
        Extremes<double>& e = second[static_cast<size_t>(b / kFanOut)];
        e.lo = std::min(e.lo, lo);
        e.hi = std::max(e.hi, hi);
    }
    const auto upper = [&second](int64_t b) { return second[static_cast<size_t>(b)]; };
    if (single) {
        BuildUpper(m_Single, static_cast<int64_t>(second.size()), upper);
        m_Single.insert(m_Single.begin(), Level<float>());
    } else {
        BuildUpper(m_Double, static_cast<int64_t>(second.size()), upper);
        m_Double.insert(m_Double.begin(), Level<double>());
    }
    m_Blocks = BlockFunction(std::move(block));
}

template <typename T, typename F> void OGrEnvelope::BuildUpper(Levels<T>& levels, int64_t blocks, F block)
{
    // Empty blocks keep the "none" extremes, which single precision holds
    // as infinities: still above and below every valid value.
    Level<T> level(static_cast<size_t>(blocks));
    for (int64_t b = 0; b < blocks; ++b) {
        const Extremes<double> e = block(b);
        level[static_cast<size_t>(b)] = {static_cast<T>(e.lo), static_cast<T>(e.hi)};
    }
    levels.push_back(std::move(level));
    while (levels.back().size() > 1) {
        const Level<T>& below = levels.back();
        Level<T> up((below.size() + kFanOut - 1) / kFanOut, {static_cast<T>(kGrNone), static_cast<T>(-kGrNone)});
        for (size_t i = 0; i < below.size(); ++i) {
            Extremes<T>& e = up[i / kFanOut];
            e.lo = std::min(e.lo, below[i].lo);
            e.hi = std::max(e.hi, below[i].hi);
        }
        levels.push_back(std::move(up));
    }
}

template <typename F> bool OGrEnvelope::Range(int64_t i0, int64_t i1, F sample, double* lo, double* hi) const
{
    return m_Double.empty() ? RangeIn(m_Single, i0, i1, sample, lo, hi) : RangeIn(m_Double, i0, i1, sample, lo, hi);
}

template <typename T, typename F>
bool OGrEnvelope::RangeIn(const Levels<T>& levels, int64_t i0, int64_t i1, F sample, double* lo, double* hi) const
{
    i0 = std::max<int64_t>(i0, 0);
    i1 = std::min(i1, m_Count);
    double l = kGrNone, h = -kGrNone;
    // Items [from, to) of level k - 1 (k = 0: the samples themselves).
    auto take = [&](size_t k, int64_t from, int64_t to) {
        if (k == 0) {
            for (int64_t i = from; i < to; ++i) {
                const double v = sample(i);
                if (GrValid(v)) {
                    l = std::min(l, v);
                    h = std::max(h, v);
                }
            }
            return;
        }
        if (k == 1 && m_Blocks) {
            for (int64_t b = from; b < to; ++b)
                m_Blocks(b, &l, &h); // lowers l and raises h only where the block has values
            return;
        }
        if (from < to) {
            const Extremes<T> e = Scan(levels[k - 1].data() + from, to - from);
            l = std::min(l, static_cast<double>(e.lo));
            h = std::max(h, static_cast<double>(e.hi));
        }
    };
    // Walk up: at each level take the unaligned edges, continue with the
    // whole blocks in between one level higher.
    int64_t a = i0, b = i1; // in units of the current level
    for (size_t k = 0; a < b; ++k) {
        const int64_t ua = (a + kFanOut - 1) / kFanOut, ub = b / kFanOut;
        if (k >= levels.size() || ua >= ub) {
            // No whole block of the next level inside: take this level's items.
            take(k, a, b);
            break;
        }
        take(k, a, ua * kFanOut);
        take(k, ub * kFanOut, b);
        a = ua;
        b = ub;
    }
    *lo = l;
    *hi = h;
    return l <= h;
}
