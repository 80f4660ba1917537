#pragma once
// What the processing pass keeps for the analysis window when asked
// (OPassOutputs::display), instead of the filtered ECG and the threshold
// sample by sample: the threshold's state at checkpoints, from which
// OFilteredSpan recomputes any span exactly, and the lowest and highest value
// of every block of samples (or sectors) of each series the chart draws
// zoomed out, taken from the pass's own stream so that nobody reads the whole
// file again for them. About 0.4 byte per sample where the arrays took 4.
#include "OEKGFilter.h"
#include "OFilteredSpan.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

// lo > hi: the block holds no valid value.
template <class T> struct OBlockExtremes {
    T lo, hi;
};

// Extremes of consecutive blocks of kBlock values, appended value by value.
template <class T> class OBlockTrack {
public:
    static constexpr int kBlock = 32;

    // Room for this many values: a large reservation only takes address
    // space, its pages come as the blocks are written.
    void Reserve(int64_t values) { m_Blocks.reserve(static_cast<size_t>((values + kBlock - 1) / kBlock)); }
    void Add(T v)
    {
        m_Open.lo = std::min(m_Open.lo, v);
        m_Open.hi = std::max(m_Open.hi, v);
        Next();
    }
    // n values in a row: runs up to a block's end in one tight loop.
    void AddMany(const T* v, int n)
    {
        while (n > 0) {
            const int run = std::min(n, kBlock - m_InBlock);
            T lo = m_Open.lo, hi = m_Open.hi;
            for (int i = 0; i < run; ++i) {
                lo = std::min(lo, v[i]);
                hi = std::max(hi, v[i]);
            }
            m_Open = {lo, hi};
            m_Count += run;
            m_InBlock += run;
            v += run;
            n -= run;
            if (m_InBlock == kBlock) {
                m_Blocks.push_back(m_Open);
                m_InBlock = 0;
                m_Open = Empty();
            }
        }
    }
    // A value that is missing (it counts, but has no extremes).
    void AddNone() { Next(); }
    // Ends the last, partial block.
    void Close()
    {
        if (m_InBlock > 0)
            m_Blocks.push_back(m_Open);
        m_InBlock = 0;
        m_Open = Empty();
    }

    int64_t Count() const { return m_Count; }
    int64_t BlockCount() const { return static_cast<int64_t>(m_Blocks.size()); }
    const OBlockExtremes<T>& Block(int64_t b) const { return m_Blocks[static_cast<size_t>(b)]; }

private:
    static OBlockExtremes<T> Empty() { return {std::numeric_limits<T>::max(), std::numeric_limits<T>::lowest()}; }
    void Next()
    {
        ++m_Count;
        if (++m_InBlock == kBlock) {
            m_Blocks.push_back(m_Open);
            m_InBlock = 0;
            m_Open = Empty();
        }
    }

    std::vector<OBlockExtremes<T>> m_Blocks;
    OBlockExtremes<T> m_Open = Empty();
    int m_InBlock = 0;
    int64_t m_Count = 0;
};

struct OPassDisplay {
    // The threshold's state before raw sample k·OFilteredSpan::kCheckpointSectors·234.
    OFilteredSpan::OCheckpoints checkpoints;
    // By sample: the raw ECG as the chart reads it (unsigned words); by
    // output position: the filtered ECG and the threshold as the pass
    // computes them.
    OBlockTrack<uint16_t> rawEcg;
    OBlockTrack<int16_t> filtered, threshold;
    // By sector: the raw temperature and the accelerations (none in sector 0,
    // whose sums are not trusted).
    OBlockTrack<double> temperature, accelX, accelY, accelZ;
};
