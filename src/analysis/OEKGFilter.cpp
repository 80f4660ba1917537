#include "OEKGFilter.h"

#include "DetectorKind.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

OEKGFilter::OEKGFilter()
{
    Prepare();
}

void OEKGFilter::AttachImpulses(OImpulse* impulses, int64_t capacity)
{
    m_Impulses = impulses;
    m_Capacity = impulses ? capacity : 0;
    m_Count = 0;
}

void OEKGFilter::Prepare()
{
    LoadParametrs();
    if (m_DetectorOverride == kDetectorStandard || m_DetectorOverride == kDetectorPrecise)
        m_Detector = m_DetectorOverride;
    ConvertToSamples();

    // Every pass starts from the same state: a line keeping the previous
    // pass's tail would make a second run over the same file differ.
    m_L1.Fill(0);
    m_L4.Fill(0);
    m_L1.SetShift(-m_NA);
    m_L4.SetShift(0);
    m_Run = ORun{}; // sums, threshold, detector and counter
    m_Primed = false;
    m_Window = 2.0 * m_NA + 1;
    m_KernelScale = 1 / (m_Window * m_NI * m_NI);
    m_Decay = std::exp(-1.0 / m_TPOROG);
    for (uint32_t i = 0; i <= kTapMask; ++i)
        m_YTaps[i] = m_Box1Taps[i] = 0;
    m_LastDefect = 0;
    m_Count = 0;
}

void OEKGFilter::Prime(double x)
{
    // Zeroed lines would meet the signal's DC level (about 5000) as a step
    // and the baseline filter would turn it into a huge false impulse.
    m_L1.Fill(x);
    m_Run.s = m_Window * x;
    m_Primed = true;
}

void OEKGFilter::JudgeCandidate()
{
    OImpulse* const I = m_Impulses;
    const int32_t p = m_Run.candidateIndex;
    if (m_Run.above > 6 * m_NI + 3) { // run too wide: not an R-wave
        if (m_Count > 0)
            I[m_Count - 1].Flags = kImpulseDoubtful;
        return;
    }
    if (m_Count == 0) {
        I[0] = {p, 0, m_Run.candidateValue, 0.0};
        m_LastDefect = 0;
        m_Count = 1;
        return;
    }
    const int32_t d = p - m_Run.previousIndex;
    m_Run.previousIndex = p;
    if (d < m_MinIntervalSamples) { // too soon
        I[m_Count - 1].Flags = kImpulseDoubtful;
        return;
    }
    if (d > m_MaxIntervalSamples) { // too late
        I[m_Count] = {p, kImpulseDoubtful, m_Run.candidateValue, 20.0};
        m_LastDefect = 20.0;
        I[m_Count - 1].Flags = kImpulseDoubtful;
        ++m_Count;
        return;
    }
    I[m_Count] = {p, 0, m_Run.candidateValue, 0.0};
    m_LastDefect = 0;
    ++m_Count;
    if (m_Count >= 3 && I[m_Count - 2].Flags == 0)
        MeasureDefect();
}

void OEKGFilter::MeasureDefect()
{
    OImpulse* const I = m_Impulses;
    const int32_t p1 = I[m_Count - 3].Pos, p2 = I[m_Count - 2].Pos, p3 = I[m_Count - 1].Pos;
    const int32_t lmax = m_MaxIntervalSamples, guard = 2 * m_NI;
    const int32_t end = p3 - p2 > lmax ? p2 + lmax : p3;
    const int32_t start = p2 - p1 > lmax ? p2 - lmax : p1;
    // Samples at least `guard` away from p2, in ascending order; samples that
    // have already left the output line are not read back wrapped.
    const int32_t first = std::max(start + guard, m_Run.n - static_cast<int32_t>(ODelayLine::kSize) + 1);
    const int32_t last = end - guard; // exclusive
    double sum = 0;
    int32_t counted = 0;
    auto add = [&](int32_t from, int32_t to) {
        for (int32_t j = from; j < to; ++j) {
            const double v = m_L4.At(j - m_Run.n);
            sum += v * v;
        }
        counted += std::max(to - from, 0);
    };
    add(first, std::min(last, p2 - guard + 1));
    add(std::max(first, p2 + guard), last);
    const double rms = counted > 0 ? std::sqrt(sum / counted) : 0.0;
    const double defect = rms / I[m_Count - 2].Peak * 20;
    I[m_Count - 2].Defect = defect;
    m_LastDefect = defect;
    if (defect >= m_MaxImpulseErrorPorog) {
        I[m_Count - 1].Flags |= kImpulseNeighbour;
        I[m_Count - 3].Flags |= kImpulseNeighbour;
        I[m_Count - 2].Flags |= kImpulseDefective;
    }
}

void OEKGFilter::Finish()
{
    if (!m_Impulses || m_Count <= 0)
        return;
    m_Impulses[0].Flags |= kImpulseEdge;
    m_Impulses[m_Count - 1].Flags |= kImpulseEdge;
    const int32_t delay = Delay();
    for (int64_t i = 0; i < m_Count; ++i)
        m_Impulses[i].Pos += delay;
}
