#include "OFilteredSpan.h"

#include "EcgTime.h"
#include "OEcgFile.h"
#include "SectorDecoders.h"

namespace {

constexpr int64_t kCheckpointSamples = OFilteredSpan::kCheckpointSectors * kSamplesPerSector;
// A span this far after the run's end is reached by running on rather than
// by a restart, which costs a warm-up and up to a checkpoint's interval.
constexpr int64_t kResumeGap = 2 * kCheckpointSamples;

uint32_t RingMask(int64_t atLeast)
{
    uint32_t size = 1;
    while (size < atLeast)
        size <<= 1;
    return size - 1;
}

} // namespace

OFilteredSpan::OFilteredSpan(const OEcgFile& file, const OEKGFilter::OShape& shape, int64_t count,
                             const OCheckpoints* checkpoints)
    : m_File(file), m_Shape(shape), m_Count(std::max<int64_t>(count, 0)), m_Checkpoints(checkpoints),
      m_Delay(shape.na + shape.ni), m_Warm((2 * int64_t{shape.na} + 1) + 2 * (int64_t{shape.ni} + 1)),
      m_NA(static_cast<uint32_t>(shape.na)), m_TwoNA(2 * static_cast<uint32_t>(shape.na)),
      m_NI1(static_cast<uint32_t>(shape.ni) + 1)
{
    m_L1Mask = RingMask(2 * int64_t{shape.na} + 2);
    m_TapMask = RingMask(int64_t{shape.ni} + 2);
    m_L1.assign(size_t{m_L1Mask} + 1, 0.0);
    m_YTaps.assign(size_t{m_TapMask} + 1, 0.0);
    m_Box1Taps.assign(size_t{m_TapMask} + 1, 0.0);
    if (Fetch(0, 1) == 1)
        m_First = m_Raw[0];
}

int64_t OFilteredSpan::Fetch(int64_t from, int64_t to)
{
    m_Raw.clear();
    if (to <= from)
        return 0;
    const int64_t firstSector = from / kSamplesPerSector;
    const int64_t sectors = (to - 1) / kSamplesPerSector - firstSector + 1;
    m_Sectors.resize(static_cast<size_t>(sectors) * kSectorBytes);
    const int64_t got = m_File.ReadSectors(firstSector, sectors, m_Sectors.data());
    const int64_t end = std::min(to, (firstSector + got) * kSamplesPerSector);
    for (int64_t t = from; t < end; ++t) {
        const int64_t k = t / kSamplesPerSector - firstSector;
        m_Raw.push_back(SectorSample(m_Sectors.data() + k * kSectorBytes, static_cast<int>(t % kSamplesPerSector)));
    }
    return static_cast<int64_t>(m_Raw.size());
}

void OFilteredSpan::Restart(int64_t t0, bool withThreshold)
{
    int64_t from = t0;
    m_ThresholdRuns = withThreshold;
    if (withThreshold) {
        const int64_t stored = m_Checkpoints ? static_cast<int64_t>(m_Checkpoints->size()) : 0;
        const int64_t k = std::min(t0 / kCheckpointSamples, stored - 1);
        from = k >= 0 ? k * kCheckpointSamples : 0;
        m_Threshold = k >= 0 ? (*m_Checkpoints)[static_cast<size_t>(k)] : OEKGFilter::OThresholdState{};
        m_ThresholdFrom = from;
    }
    // Before the file's start a whole warm-up of copies of its first sample,
    // as the pass's priming assumes.
    m_Next = from - m_Warm < 0 ? -m_Warm : from - m_Warm;
    std::fill(m_L1.begin(), m_L1.end(), 0.0);
    std::fill(m_YTaps.begin(), m_YTaps.end(), 0.0);
    std::fill(m_Box1Taps.begin(), m_Box1Taps.end(), 0.0);
    m_S = m_Box1 = m_Box2 = 0;
    m_I1 = m_Tap = 0;
    m_Started = true;
}

int64_t OFilteredSpan::Compute(int64_t first, int64_t n, int16_t* filtered, int16_t* threshold)
{
    if (first < 0 || first >= m_Count || n <= 0)
        return 0;
    n = std::min(n, m_Count - first);
    const int64_t t0 = first + m_Delay, t1 = t0 + n;
    const bool needThreshold = threshold && m_Shape.threshold;
    const bool resume = m_Started && m_Next <= t0 && t0 - m_Next <= kResumeGap && (m_ThresholdRuns || !needThreshold);
    if (!resume)
        Restart(t0, needThreshold);

    const int64_t readFrom = std::max<int64_t>(m_Next, 0);
    const int64_t available = Fetch(readFrom, t1);
    int64_t produced = 0;
    for (int64_t t = m_Next; t < t1; ++t) {
        if (t >= readFrom + available)
            break;
        const double z = Step(t < 0 ? m_First : m_Raw[static_cast<size_t>(t - readFrom)]);
        if (m_ThresholdRuns && t >= m_ThresholdFrom)
            OEKGFilter::StepThreshold(m_Threshold, z, m_Shape.decay, m_Shape.maxInterval);
        m_Next = t + 1;
        if (t < t0)
            continue;
        const int64_t j = t - t0;
        if (filtered)
            filtered[j] = FilteredSample(z);
        if (threshold)
            threshold[j] = m_ThresholdRuns ? FilteredSample(m_Threshold.thr) : 0;
        produced = j + 1;
    }
    return produced;
}
