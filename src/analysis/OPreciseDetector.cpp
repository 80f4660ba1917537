#include "OPreciseDetector.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {

// At the decimated rate of 976.5625 / 4 = 244.140625 Hz.
constexpr int kBox = 7;                         // low-pass box, 28.7 ms
constexpr int kHighPass = 39;                   // mean subtracted, 160 ms
constexpr int kHighPassCentre = 19;             // (kHighPass - 1) / 2
constexpr int kIntegration = 37;                // 150 ms
constexpr int kBandDelay = 6 + kHighPassCentre; // band-passed sample k is decimated sample k - 25
constexpr int kPeakWait = 23;                   // 95 ms after a maximum it counts as a peak
constexpr int kRefractory = 49;                 // 200 ms
constexpr int kTWaveSpan = 88;                  // 360 ms
constexpr int kLearnSpan = 488;                 // 2 s
constexpr int kLowerAfter = 732;                // 3 s without a beat: the signal level was too high
constexpr int kLowerEvery = 244;                // then halve it once a second
constexpr double kSearchBackFactor = 1.66;
constexpr double kNoiseFloor = 0.1; // lowest integrated value between beats, relative to the beat
constexpr double kNoiseFloorAfterNoise = 0.03;
constexpr double kEarlyInNoise = 0.6; // of the mean R-R interval
constexpr int32_t kRunInterval = 586; // raw samples: 600 ms, 100 bpm, the pace of a ventricular run
constexpr int64_t kPaceLowPct = 92;   // an interval keeps the pace within 92 % to 116 % of the last
constexpr int64_t kPaceHighPct = 116;

// Raw refinement, in raw samples.
constexpr int kRefineSpan = 24;       // search the raw peak within 25 ms of the band-passed one
constexpr int kNeighbour = 20;        // compared with the samples 20 ms away
constexpr int kFlatRun = 20;          // 20 ms of one value at the peak: clipped
constexpr int32_t kDeviceTop = 10230; // the recorder's largest sample

} // namespace

OPreciseDetector::OPreciseDetector()
{
    Start(nullptr, 0);
}

void OPreciseDetector::Start(OImpulse* impulses, int64_t capacity)
{
    m_Impulses = impulses;
    m_Capacity = impulses ? capacity : 0;
    m_Count = 0;
    m_RawIndex = 0;
    m_Sum4 = 0;
    m_K = 0;
    m_Rising = false;
    m_Previous = m_Max = 0;
    m_MaxIndex = 0;
    m_Learning = true;
    m_LearntCount = 0;
    m_Spk = m_Npk = 0;
    m_HaveBeat = false;
    m_Last = {};
    m_RrCount = 0;
    m_RrMean = 244;
    m_NoiseCount = 0;
    m_NoiseSearched = -1;
    m_LastLowering = 0;
    m_IntervalMin = 0;
    m_InNoise = false;
    m_HighestSinceBeat = 0;
    m_Intervals[0] = m_Intervals[1] = 0;
}

void OPreciseDetector::Process(const double* x, int count)
{
    ProcessSamples(x, count);
}

void OPreciseDetector::Process(const int16_t* x, int count)
{
    ProcessSamples(x, count);
}

template <class T> void OPreciseDetector::ProcessSamples(const T* x, int count)
{
    if (count > 0 && m_RawIndex == 0) {
        // The chain starts settled on the first sample: no start-up step.
        const int32_t v = static_cast<int32_t>(x[0]);
        std::fill(std::begin(m_Raw), std::end(m_Raw), v);
        const int32_t d = kDecimation * v;
        std::fill(std::begin(m_Dec), std::end(m_Dec), d);
        std::fill(std::begin(m_Box1), std::end(m_Box1), kBox * d);
        std::fill(std::begin(m_Lp), std::end(m_Lp), kBox * kBox * d);
        std::fill(std::begin(m_Bp), std::end(m_Bp), 0);
        std::fill(std::begin(m_Slope), std::end(m_Slope), 0);
        std::fill(std::begin(m_Sq), std::end(m_Sq), 0);
        m_SumBox1 = int64_t(kBox) * d;
        m_SumBox2 = int64_t(kBox) * kBox * d;
        m_SumHp = int64_t(kHighPass) * kBox * kBox * d;
        m_SumMwi = 0;
    }
    // The index and the sum live in locals: every store into m_Raw could
    // otherwise alias them and force them back to memory.
    int32_t index = m_RawIndex;
    int32_t sum = m_Sum4;
    for (int i = 0; i < count; ++i) {
        const int32_t v = static_cast<int32_t>(x[i]);
        m_Raw[uint32_t(index) & kRawMask] = v;
        ++index;
        sum += v;
        if ((index & (kDecimation - 1)) == 0) {
            m_RawIndex = index; // the peak refinement reads the raw ring by it
            Step(sum);
            sum = 0;
        }
    }
    m_RawIndex = index;
    m_Sum4 = sum;
}

void OPreciseDetector::Step(int32_t dec)
{
    const uint32_t k = uint32_t(m_K);
    auto at = [k](const auto* ring, int back) { return ring[(k - uint32_t(back)) & kDecMask]; };

    m_SumBox1 += dec - at(m_Dec, kBox);
    m_Dec[k & kDecMask] = dec;
    m_SumBox2 += m_SumBox1 - at(m_Box1, kBox);
    m_Box1[k & kDecMask] = int32_t(m_SumBox1);
    const int32_t lp = int32_t(m_SumBox2);
    m_SumHp += lp - at(m_Lp, kHighPass);
    m_Lp[k & kDecMask] = lp;
    const int32_t bp = int32_t(kHighPass * int64_t(at(m_Lp, kHighPassCentre)) - m_SumHp);
    m_Bp[k & kDecMask] = bp;
    const int64_t derivative = 2 * int64_t(bp) + at(m_Bp, 1) - at(m_Bp, 3) - 2 * int64_t(at(m_Bp, 4));
    const int32_t slope = int32_t(std::min<int64_t>(std::llabs(derivative) >> 4, INT32_MAX));
    m_Slope[k & kDecMask] = slope;
    const int64_t sq = int64_t(slope) * slope;
    m_SumMwi += sq - at(m_Sq, kIntegration);
    m_Sq[k & kDecMask] = sq;
    const int64_t mwi = m_SumMwi;

    if (m_Rising) {
        if (mwi > m_Max) {
            m_Max = mwi;
            m_MaxIndex = m_K;
        } else if (mwi < m_Max / 2 || m_K - m_MaxIndex > kPeakWait) {
            Emit(m_MaxIndex, double(m_Max));
            m_Rising = false;
        }
    } else if (mwi > m_Previous) {
        m_Rising = true;
        m_Max = mwi;
        m_MaxIndex = m_K;
    }
    m_Previous = mwi;
    m_IntervalMin = std::min(m_IntervalMin, mwi);

    if (m_Learning) {
        if (m_K >= kLearnSpan || m_LearntCount == kMaxPeaks)
            Learn();
    } else {
        const int32_t since = m_HaveBeat ? m_K - m_Last.index : m_K;
        if (m_HaveBeat && since > kSearchBackFactor * m_RrMean && m_NoiseCount > m_NoiseSearched)
            SearchBack();
        if (since > kLowerAfter && m_K - m_LastLowering > kLowerEvery) {
            // The levels belong to a signal that has gone (an electrode
            // moved, the amplitude dropped): start again from the highest
            // peak seen since, and search the peaks kept once more.
            m_Spk = m_HighestSinceBeat > 0 ? std::min(m_Spk / 2, m_HighestSinceBeat) : m_Spk / 2;
            m_Npk = std::min(m_Npk, m_Spk / 4);
            m_HighestSinceBeat = 0;
            m_LastLowering = m_K;
            m_NoiseSearched = -1;
        }
    }
    ++m_K;
}

void OPreciseDetector::Emit(int32_t index, double height)
{
    OPeak p{index, 0, height, 0, false};
    // The band-passed extreme and the steepest slope within the window the
    // integration covered.
    const uint32_t last = uint32_t(index) - 2; // the slope lags the band-passed signal by 2
    int32_t best = -1, bpIndex = index;
    int32_t steepest = 0;
    for (int back = 0; back <= kIntegration + 3; ++back) {
        const uint32_t j = last - uint32_t(back);
        const int32_t a = std::abs(m_Bp[j & kDecMask]);
        if (a > best) {
            best = a;
            bpIndex = int32_t(j);
        }
        if (back < kIntegration)
            steepest = std::max(steepest, m_Slope[(j + 2) & kDecMask]);
    }
    p.slope = steepest;
    const int sign = m_Bp[uint32_t(bpIndex) & kDecMask] >= 0 ? 1 : -1;
    p.pos = Refine(bpIndex, sign, p.saturated);
    if (m_Learning) {
        m_Learnt[m_LearntCount++] = p;
        return;
    }
    Classify(p);
}

int32_t OPreciseDetector::Refine(int32_t bpIndex, int sign, bool& saturated) const
{
    const int32_t centre = kDecimation * (bpIndex - kBandDelay) + 1;
    auto raw = [this](int32_t i) { return m_Raw[uint32_t(i) & kRawMask]; };
    int32_t best = centre;
    int64_t bestScore = INT64_MIN;
    for (int32_t j = centre - kRefineSpan; j <= centre + kRefineSpan; ++j) {
        const int64_t score = sign * (2 * int64_t(raw(j)) - raw(j - kNeighbour) - raw(j + kNeighbour));
        if (score > bestScore) {
            bestScore = score;
            best = j;
        }
    }
    const int32_t top = raw(best);
    int run = 1;
    for (int32_t j = best - 1; j > best - kFlatRun && raw(j) == top; --j)
        ++run;
    for (int32_t j = best + 1; j < best + kFlatRun && raw(j) == top; ++j)
        ++run;
    saturated = run >= kFlatRun || top <= 0 || top >= kDeviceTop;
    return std::max(best, 0);
}

void OPreciseDetector::Learn()
{
    m_Learning = false;
    double highest = 0;
    for (int i = 0; i < m_LearntCount; ++i)
        highest = std::max(highest, m_Learnt[i].height);
    m_Spk = highest / 2;
    double noise = 0;
    int noiseCount = 0;
    for (int i = 0; i < m_LearntCount; ++i)
        if (m_Learnt[i].height < highest / 4) {
            noise += m_Learnt[i].height;
            ++noiseCount;
        }
    m_Npk = noiseCount > 0 ? noise / noiseCount : 0;
    m_LastLowering = m_K;
    m_Replaying = true;
    for (int i = 0; i < m_LearntCount; ++i)
        Classify(m_Learnt[i]);
    m_Replaying = false;
    m_IntervalMin = 0; // the first beat after them has no clean floor to go by
}

void OPreciseDetector::Classify(const OPeak& p)
{
    if (m_HaveBeat) {
        const int32_t gap = p.index - m_Last.index;
        // The refractory period lies between the R-peaks themselves: the
        // integrated maximum of a beat on the previous beat's T wave comes
        // sooner after its R-peak than a lone beat's does.
        if (p.pos - m_Last.pos < kDecimation * kRefractory)
            return;
        // In noise, an early peak must stand as high as the beats do, unless
        // it keeps the pace of a fast run: between wide beats at 100 bpm
        // and more the integrated signal never falls to the floor, so a
        // ventricular run looks like noise from its second beat on, and its
        // beats are lower than the narrow ones the level learnt.
        const bool earlyInNoise = m_InNoise && gap < kEarlyInNoise * m_RrMean && p.height < m_Spk &&
                                  !KeepsRunPace(p.pos - m_Last.pos, m_Intervals[0], m_Intervals[1]);
        if (p.height > Threshold() && !(gap < kTWaveSpan && p.slope < m_Last.slope / 2) && !earlyInNoise) {
            Accept(p, false);
            return;
        }
    } else if (p.height > Threshold()) {
        Accept(p, false);
        return;
    }
    m_Npk += (p.height - m_Npk) / 8;
    m_HighestSinceBeat = std::max(m_HighestSinceBeat, p.height);
    {
        // Every one is kept: a lowered level may search them again.
        if (m_NoiseCount == kMaxPeaks) {
            std::copy(m_Noise + 1, m_Noise + kMaxPeaks, m_Noise);
            --m_NoiseCount;
            m_NoiseSearched = -1;
        }
        m_Noise[m_NoiseCount++] = p;
    }
}

void OPreciseDetector::SearchBack()
{
    m_NoiseSearched = m_NoiseCount;
    const double floor = Threshold() / 2;
    int best = -1;
    for (int i = 0; i < m_NoiseCount; ++i) {
        const OPeak& c = m_Noise[i];
        const int32_t gap = c.index - m_Last.index;
        if (c.height <= floor || gap < kRefractory || (gap < kTWaveSpan && c.slope < m_Last.slope / 2))
            continue;
        if (best < 0 || c.height > m_Noise[best].height)
            best = i;
    }
    if (best < 0)
        return;
    const OPeak found = m_Noise[best];
    // The peaks after it stay candidates for the next search.
    const int rest = m_NoiseCount - best - 1;
    Accept(found, true);
    std::copy(m_Noise + best + 1, m_Noise + best + 1 + rest, m_Noise);
    m_NoiseCount = rest;
    m_NoiseSearched = -1;
}

void OPreciseDetector::Accept(const OPeak& p, bool searchBack)
{
    const double level = m_Spk;
    int noisy = 0;
    for (int i = 0; i < m_NoiseCount; ++i) {
        const OPeak& c = m_Noise[i];
        if (c.index < p.index && c.height >= p.height / 2 &&
            !(m_HaveBeat && c.index - m_Last.index < kTWaveSpan && c.slope < m_Last.slope / 2))
            ++noisy;
    }
    if (searchBack)
        m_Spk += (p.height - m_Spk) / 4;
    else
        m_Spk += (std::min(p.height, 3 * m_Spk + 1) - m_Spk) / 8;
    if (m_HaveBeat) {
        m_Intervals[1] = m_Intervals[0];
        m_Intervals[0] = p.pos - m_Last.pos;
        m_Rr[m_RrCount % 8] = p.index - m_Last.index;
        ++m_RrCount;
        const int n = std::min(m_RrCount, 8);
        double sum = 0;
        for (int i = 0; i < n; ++i)
            sum += m_Rr[i];
        m_RrMean = sum / n;
    }
    // Between clean beats the integrated signal falls almost to zero; in
    // noise it never does.
    // (The beats of the first seconds are decided at once, with no floor.)
    const double floor = p.height > 0 && !m_Replaying ? double(m_IntervalMin) / p.height : 0;
    m_IntervalMin = m_Previous;
    // Noise comes in stretches: after a noisy beat a lower floor suffices.
    const bool inNoise = floor > (m_InNoise ? kNoiseFloorAfterNoise : kNoiseFloor);
    m_InNoise = inNoise;
    const bool doubtful = p.saturated || (searchBack && p.height < level / 4) || noisy >= 2 || inNoise;
    if (m_Count < m_Capacity)
        m_Impulses[m_Count++] = {p.pos, uint8_t(doubtful ? kImpulseDoubtful : 0), p.height, floor};
    m_Last = p;
    m_HighestSinceBeat = 0;
    m_HaveBeat = true;
    m_NoiseCount = 0;
    m_NoiseSearched = -1;
    m_LastLowering = m_K;
}

bool OPreciseDetector::KeepsRunPace(int32_t interval, int32_t last, int32_t before)
{
    return last > 0 && before > 0 && last <= kRunInterval && before <= kRunInterval &&
           100 * int64_t(interval) >= kPaceLowPct * last && 100 * int64_t(interval) <= kPaceHighPct * last;
}

void OPreciseDetector::Finish()
{
    if (m_Rising)
        Emit(m_MaxIndex, double(m_Max));
    m_Rising = false;
    if (m_Learning)
        Learn();
    if (m_Count > 0) {
        m_Impulses[0].Flags |= kImpulseEdge;
        m_Impulses[m_Count - 1].Flags |= kImpulseEdge;
    }
}
