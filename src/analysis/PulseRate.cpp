// Pulse rate from the impulse list: each point is the mean rate over the
// first stretch of consecutive clean beats spanning more than the averaging
// span W; a flagged beat ends a run with a held value and a drop to 0, and
// drops shorter than 3·W are closed again. After the precise detector a beat
// the classifier did not call normal counts as flagged too, so that only
// intervals between two normal beats make the rate.
#include "OEKGFilter.h"

#include "DetectorKind.h"
#include "EcgTime.h"

int64_t OEKGFilter::PulseRate(OPoint* out, int64_t capacity, const OImpulse* I, int64_t c) const
{
    const double w = m_PulseUsred;
    int64_t m = 0;
    auto append = [&](double x, double y) {
        if (m < capacity)
            out[m++] = {x, y};
    };
    const bool normalOnly = m_Detector == kDetectorPrecise;
    auto flagged = [&](int64_t i) {
        return I[i].Flags != 0 ||
               (normalOnly && I[i].Class != kBeatUnclassified && I[i].Class != kBeatNormal);
    };

    double runStart = -1000, runEnd = -1000;
    int64_t b = 1;
    while (b < c) {
        if (flagged(b - 1) || flagged(b)) {
            ++b;
            continue;
        }
        const double e = I[b].Pos;
        int64_t i = b + 1;
        bool found = false;
        for (; i < c - 1; ++i) {
            if (flagged(i) || flagged(i + 1))
                break;
            if (I[i].Pos - e > w) {
                found = true;
                break;
            }
        }
        if (found) {
            const double span = I[i].Pos - e;
            const double rate = static_cast<double>(i - b) / (span * kSamplePeriod) * 60;
            append(runStart < 0 ? e : (e + I[i].Pos) / 2, rate);
            runStart = e;
            runEnd = I[i].Pos;
            ++b;
            continue;
        }
        if (runStart >= 0) {
            if (m > 0)
                append(runEnd, out[m - 1].y);
            runStart = runEnd = -1000;
        }
        if (m > 0 && out[m - 1].y > 0)
            append(out[m - 1].x, 0);
        b = i;
    }

    // Close drops to 0 that are shorter than 3·W.
    int64_t j = 0;
    while (j < m) {
        if (out[j].y > 0) {
            ++j;
            continue;
        }
        int64_t k = j + 1;
        while (k < m && !(out[k].y > 0))
            ++k;
        if (k >= m)
            break;
        if (j > 0 && out[k].x - out[j - 1].x < 3 * w)
            for (int64_t t = j; t < k; ++t)
                out[t] = out[j - 1];
        j = k + 1;
    }
    return m;
}
