#include "BeatRhythm.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace beat {

namespace {

constexpr int kIrregularReach = 12; // supraventricular beats either side
constexpr int kLookReach = 64;
constexpr int kNewRhythm = 128;

template <int N> class ORing {
public:
    void Push(double v)
    {
        m_Values[m_Next] = v;
        m_Next = (m_Next + 1) % N;
        m_Count = std::min(m_Count + 1, N);
        m_MedianKnown = false;
    }
    int Count() const { return m_Count; }
    // k-th latest (0: the newest).
    double Latest(int k) const { return m_Values[(m_Next - 1 - k + 2 * N) % N]; }
    // Asked for at every beat, and kept until the next Push: an insertion
    // sort of so few values costs less than a selection's partitioning, and
    // gives the same middle value.
    double Median() const
    {
        if (!m_MedianKnown) {
            m_Median = SortedMiddle();
            m_MedianKnown = true;
        }
        return m_Median;
    }

private:
    double SortedMiddle() const
    {
        double v[N];
        for (int i = 0; i < m_Count; ++i) {
            const double x = m_Values[i];
            int j = i;
            for (; j > 0 && v[j - 1] > x; --j)
                v[j] = v[j - 1];
            v[j] = x;
        }
        return v[m_Count / 2];
    }

    double m_Values[N] = {};
    int m_Next = 0;
    int m_Count = 0;
    mutable double m_Median = 0;
    mutable bool m_MedianKnown = false;
};

} // namespace

void MeasureRhythm(const OImpulse* beats, int64_t count, const std::vector<uint8_t>& supraShaped,
                   std::vector<ORhythmPoint>& out)
{
    out.assign(static_cast<size_t>(count), ORhythmPoint{});
    ORing<9> reference;  // on-time intervals between supraventricular beats
    ORing<16> recent;    // all intervals between supraventricular beats
    bool previousEarly = false;
    double lastSupra = 0;
    bool inEarlyRun = false; // the interval before was early, between supraventricular beats
    bool abruptRun = false;  // that run of early intervals began abruptly
    bool afterAbrupt = false; // the interval before belonged to such a run
    int earlyRun = 0; // consecutive early intervals between supraventricular beats
    // Per beat: its interval's distance to the nearest of the three before
    // it, relative to the recent intervals (-1: none).
    std::vector<float> distance(static_cast<size_t>(count), -1.0f);
    for (int64_t i = 1; i < count; ++i) {
        const double rr = beats[i].Pos - beats[i - 1].Pos;
        const bool supra = supraShaped[size_t(i)] && supraShaped[size_t(i - 1)];
        if (reference.Count() < 3) {
            // Starting up: the first intervals between supraventricular
            // beats stand for the rhythm.
            if (supra) {
                reference.Push(rr);
                lastSupra = rr;
            }
            previousEarly = false;
            continue;
        }
        const double ref = reference.Median();
        if (!(ref > 0)) { // impulses on one sample: no rhythm to tell yet
            if (supra)
                reference.Push(rr);
            continue;
        }
        ORhythmPoint& p = out[size_t(i)];
        p.before = static_cast<float>(rr / ref);
        p.lastSupra = static_cast<float>(lastSupra / ref);
        out[size_t(i - 1)].after = p.before;

        const bool early = p.before < kPremature;
        if (supra) {
            // A run of early intervals that began abruptly (an ectopic beat,
            // or a tachycardia) stays out of the reference until it has held
            // for kNewRhythm beats; one that began gradually (the sinus rate
            // rising, or the rhythm faster with ectopic beats in between) is
            // the rhythm.
            if (early && !inEarlyRun)
                abruptRun = rr < kAbrupt * lastSupra;
            earlyRun = early ? earlyRun + 1 : 0;
            if (early ? (!abruptRun || earlyRun >= kNewRhythm) : !previousEarly)
                reference.Push(rr);
            lastSupra = rr;
            // The irregularity is judged on the intervals that look like
            // neither an abrupt ectopic run nor the pause after one: frequent
            // atrial premature beats are not atrial fibrillation.
            const bool ectopicLooking = (early && abruptRun) || afterAbrupt;
            if (!ectopicLooking) {
                const double typical = recent.Count() >= 3 ? recent.Median() : 0;
                if (typical > 0) {
                    double nearest = 1e9;
                    for (int j = 0; j < 3; ++j)
                        nearest = std::min(nearest, std::fabs(rr - recent.Latest(j)));
                    distance[size_t(i)] = static_cast<float>(nearest / typical);
                }
                recent.Push(rr);
            }
        }
        afterAbrupt = supra && early && abruptRun;
        inEarlyRun = supra && early;
        previousEarly = early || !supraShaped[size_t(i)];
    }

    // Irregular: the median distance over the supraventricular beats
    // around, kIrregularReach before and after (looking at most kLookReach
    // beats either way).
    std::vector<float> window;
    for (int64_t i = 0; i < count; ++i) {
        window.clear();
        int found = 0;
        for (int64_t k = i; k >= std::max<int64_t>(0, i - kLookReach) && found < kIrregularReach; --k)
            if (distance[size_t(k)] >= 0) {
                window.push_back(distance[size_t(k)]);
                ++found;
            }
        found = 0;
        for (int64_t k = i + 1; k <= std::min(count - 1, i + kLookReach) && found < kIrregularReach; ++k)
            if (distance[size_t(k)] >= 0) {
                window.push_back(distance[size_t(k)]);
                ++found;
            }
        if (window.size() < size_t(kIrregularReach)) // too few supraventricular beats around to tell
            continue;
        std::nth_element(window.begin(), window.begin() + std::ptrdiff_t(window.size() / 2), window.end());
        out[size_t(i)].irregular = window[window.size() / 2] > kIrregular;
    }
}

} // namespace beat
