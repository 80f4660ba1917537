#include "BeatRhythm.h"

#include <algorithm>
#include <cmath>

namespace beat {

namespace {

constexpr int kNewRhythm = 32;

template <int N> class ORing {
public:
    void Push(double v)
    {
        m_Values[m_Next] = v;
        m_Next = (m_Next + 1) % N;
        m_Count = std::min(m_Count + 1, N);
    }
    int Count() const { return m_Count; }
    // k-th latest (0: the newest).
    double Latest(int k) const { return m_Values[(m_Next - 1 - k + 2 * N) % N]; }
    double Median() const
    {
        double v[N];
        std::copy(m_Values, m_Values + m_Count, v);
        std::nth_element(v, v + m_Count / 2, v + m_Count);
        return v[m_Count / 2];
    }

private:
    double m_Values[N] = {};
    int m_Next = 0;
    int m_Count = 0;
};

} // namespace

void MeasureRhythm(const OImpulse* beats, int64_t count, const std::vector<uint8_t>& supraShaped,
                   std::vector<ORhythmPoint>& out)
{
    out.assign(static_cast<size_t>(count), ORhythmPoint{});
    ORing<9> reference;  // on-time intervals between supraventricular beats
    ORing<16> recent;    // all intervals between supraventricular beats
    bool previousEarly = false;
    int earlyRun = 0; // consecutive early intervals between supraventricular beats
    for (int64_t i = 1; i < count; ++i) {
        const double rr = beats[i].Pos - beats[i - 1].Pos;
        const bool supra = supraShaped[size_t(i)] && supraShaped[size_t(i - 1)];
        if (reference.Count() < 3) {
            // Starting up: the first intervals between supraventricular
            // beats stand for the rhythm.
            if (supra)
                reference.Push(rr);
            previousEarly = false;
            continue;
        }
        const double ref = reference.Median();
        ORhythmPoint& p = out[size_t(i)];
        p.before = static_cast<float>(rr / ref);
        out[size_t(i - 1)].after = p.before;

        if (recent.Count() >= 8) {
            double d[16];
            for (int k = 0; k < recent.Count(); ++k) {
                double nearest = 1e9;
                for (int j = 1; j <= 3 && k + j < recent.Count(); ++j)
                    nearest = std::min(nearest, std::fabs(recent.Latest(k) - recent.Latest(k + j)));
                d[k] = nearest;
            }
            const int n = recent.Count() - 3;
            std::nth_element(d, d + n / 2, d + n);
            p.irregular = d[n / 2] > kIrregular * recent.Median();
        }

        const bool early = p.before < kPremature;
        if (supra) {
            recent.Push(rr);
            earlyRun = early ? earlyRun + 1 : 0;
            // A faster rhythm that holds for kNewRhythm beats is the rhythm now.
            if ((!early && !previousEarly) || earlyRun >= kNewRhythm)
                reference.Push(rr);
        }
        previousEarly = early || !supraShaped[size_t(i)];
    }
}

} // namespace beat
