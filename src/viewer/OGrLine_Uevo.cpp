#include "OGrLine_Uevo.h"

#include "EcgTime.h"
#include "GrDefs.h"
#include "OEcgFile.h"
#include "OPassDisplay.h"
#include "SectorDecoders.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Sample index of time d (seconds from the recording's start), truncated
// toward zero; -1 for anything before the start, beyond `limit` or not a number.
int64_t SampleIndex(double d, int64_t limit)
{
    const double j = std::trunc(d * kSampleRate);
    if (!(j >= 0.0 && j < static_cast<double>(limit)))
        return -1;
    return static_cast<int64_t>(j);
}

int Clip(int64_t count)
{
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

// An S beat is the impulse's triangle with a dot on its apex; a V beat a
// square pulse as wide as the triangle's base, so the two differ in shape as
// well as in colour, and a flagged one is half as high as the others.
constexpr int kPointsPerSupraBeat = 3;
constexpr int kPointsPerVentricularBeat = 4;
constexpr int kSupraRgb = 0x0000D0;
constexpr int kVentricularRgb = 0xD00000;

} // namespace

int OGrLine_Uevo::IsFunction()
{
    switch (m_Type) {
    case kSeriesDefect:
    case kSeriesImpulses:
    case kSeriesSupraBeats:
    case kSeriesVentricularBeats:
    case kSeriesPulse:
    case kSeriesTemperature:
    case kSeriesCcpRough:
    case kSeriesCcpFine:
        return 0;
    default:
        return 1;
    }
}

int OGrLine_Uevo::GetPointCount()
{
    if (!ResultsShown())
        return 0;
    switch (m_Type) {
    case kSeriesPulse:
        return Clip(m_File->Puls().Count());
    case kSeriesTemperature:
        return Clip(m_File->Thermo().Count());
    case kSeriesCcpRough:
    case kSeriesCcpFine:
        return Clip(m_File->FMs().Count());
    case kSeriesSupraBeats:
        return Clip(kPointsPerSupraBeat * static_cast<int64_t>(m_SupraBeats.size()));
    case kSeriesVentricularBeats:
        return Clip(kPointsPerVentricularBeat * static_cast<int64_t>(m_VentricularBeats.size()));
    default:
        return Clip(3 * m_File->ImpulseInfo().Count());
    }
}

int OGrLine_Uevo::ImpulsePoint(int i, double* x, double* y) const
{
    const OImpulse& impulse = m_File->ImpulseInfo()[i / 3];
    const bool flagged = impulse.Flags != 0;
    const double apex = impulse.Pos * kSamplePeriod + m_TimeOffset;
    const double halfWidth = m_HalfWidth * kSamplePeriod;
    switch (i % 3) {
    case 1:
        *x = apex;
        *y = m_Type == kSeriesDefect ? impulse.Defect : (flagged ? 0.5 : 1.0);
        return kGrPtNoMarker;
    case 0:
        *x = apex - halfWidth;
        *y = 0.0;
        return flagged ? kGrPtNoMarker | kGrPtBreakBefore : kGrPtNoMarker;
    default:
        *x = apex + halfWidth;
        *y = 0.0;
        return flagged ? kGrPtNoMarker | kGrPtBreakAfter : kGrPtNoMarker;
    }
}

int OGrLine_Uevo::ClassPoint(int i, double* x, double* y) const
{
    const bool supra = m_Type == kSeriesSupraBeats;
    const int per = supra ? kPointsPerSupraBeat : kPointsPerVentricularBeat;
    const int64_t beat = (supra ? m_SupraBeats : m_VentricularBeats)[i / per];
    if (beat >= m_File->ImpulseInfo().Count())
        return kGrPtAbsent;
    const OImpulse& impulse = m_File->ImpulseInfo()[beat];
    const double apex = impulse.Pos * kSamplePeriod + m_TimeOffset;
    const double halfWidth = m_HalfWidth * kSamplePeriod;
    const double top = impulse.Flags != 0 ? 0.5 : 1.0;
    const int k = i % per;
    if (supra) {
        *x = k == 0 ? apex - halfWidth : k == 1 ? apex : apex + halfWidth;
        *y = k == 1 ? top : 0.0;
        return k == 1 ? 0 : kGrPtNoMarker | (k == 0 ? kGrPtBreakBefore : kGrPtBreakAfter);
    }
    *x = k < 2 ? apex - halfWidth : apex + halfWidth;
    *y = k == 0 || k == 3 ? 0.0 : top;
    return kGrPtNoMarker | (k == 0 ? kGrPtBreakBefore : k == 3 ? kGrPtBreakAfter : 0);
}

bool OGrLine_Uevo::IndexBeatClasses()
{
    m_SupraBeats.clear();
    m_VentricularBeats.clear();
    const OChannel<OImpulse>& impulses = m_File->ImpulseInfo();
    if (!impulses.Present())
        return false;
    bool classified = false;
    for (int64_t i = 0; i < impulses.Count(); ++i) {
        const char c = impulses[i].Class;
        classified |= c != kBeatUnclassified;
        if (c == kBeatSupra)
            m_SupraBeats.push_back(i);
        else if (c == kBeatVentricular)
            m_VentricularBeats.push_back(i);
    }
    return classified;
}

int OGrLine_Uevo::GetColor()
{
    switch (m_Type) {
    case kSeriesSupraBeats:
        return kSupraRgb;
    case kSeriesVentricularBeats:
        return kVentricularRgb;
    default:
        return -1;
    }
}

int OGrLine_Uevo::GetPoint(int i, double* x, double* y)
{
    if (i < 0 || i >= GetPointCount())
        return kGrPtAbsent;
    switch (m_Type) {
    case kSeriesDefect:
    case kSeriesImpulses:
        return ImpulsePoint(i, x, y);
    case kSeriesSupraBeats:
    case kSeriesVentricularBeats:
        return ClassPoint(i, x, y);
    case kSeriesPulse: {
        const OPoint& p = m_File->Puls()[i];
        *x = p.x * kSamplePeriod + m_TimeOffset;
        *y = p.y;
        // A drop to rate 0 is a gap: no marker, joined to neither neighbour.
        return p.y == 0.0 ? kGrPtFault | kGrPtNoMarker | kGrPtBreakBefore | kGrPtBreakAfter : kGrPtNoMarker;
    }
    case kSeriesTemperature: {
        const OPoint& p = m_File->Thermo()[i];
        *x = p.x + m_TimeOffset;
        *y = p.y;
        return kGrPtNoMarker;
    }
    case kSeriesCcpRough:
    case kSeriesCcpFine: {
        const OCcpPair& f = m_File->FMs()[i];
        *x = i * kSectorDuration + m_TimeOffset;
        *y = m_Type == kSeriesCcpRough ? f.rough : f.fine;
        return kGrPtNoMarker;
    }
    default:
        return 0;
    }
}

int OGrLine_Uevo::GetPoints(int first, int count, double* x, double* y, int* flags)
{
    switch (m_Type) {
    case kSeriesPulse:
    case kSeriesTemperature:
    case kSeriesCcpRough:
    case kSeriesCcpFine:
        break;
    default:
        return -1; // impulses: one at a time
    }
    count = std::clamp(GetPointCount() - first, 0, count);
    if (first < 0)
        return -1;
    for (int i = 0; i < count; ++i)
        flags[i] = OGrLine_Uevo::GetPoint(first + i, &x[i], &y[i]);
    return count;
}

void OGrLine_Uevo::GetXRange(double* lo, double* hi)
{
    int64_t samples = 0;
    if (m_Type < kSeriesFilteredEcg)
        samples = kSamplesPerSector * m_File->SectorCount();
    else if (ResultsShown())
        samples = ResultCount();
    *lo = m_TimeOffset;
    *hi = m_TimeOffset + samples * kSamplePeriod;
}

void OGrLine_Uevo::GetYRange(double* lo, double* hi)
{
    switch (m_Type) {
    case kSeriesRawEcg:
        *lo = 0.0, *hi = 10230.0;
        break;
    case kSeriesRawTemperature:
        *lo = -50.0, *hi = 60.0;
        break;
    case kSeriesAccelX:
    case kSeriesAccelY:
    case kSeriesAccelZ:
        *lo = -128.0, *hi = 128.0;
        break;
    default:
        *lo = -5120.0, *hi = 5120.0;
    }
}

double OGrLine_Uevo::GetValue(const double* x)
{
    const double d = *x - m_TimeOffset;
    switch (m_Type) {
    case kSeriesRawEcg: {
        const int64_t j = SampleIndex(d, kSamplesPerSector * m_File->SectorCount());
        const uint8_t* sector = j < 0 ? nullptr : MappedSector(j / kSamplesPerSector);
        return sector ? SectorSampleWord(sector, static_cast<int>(j % kSamplesPerSector)) : 0.0;
    }
    case kSeriesRawTemperature: {
        const int64_t j = SampleIndex(d, kSamplesPerSector * m_File->SectorCount());
        const uint8_t* sector = j < 0 ? nullptr : MappedSector(j / kSamplesPerSector);
        return sector ? SectorTemperature(sector) : 0.0;
    }
    case kSeriesAccelX:
    case kSeriesAccelY:
    case kSeriesAccelZ: {
        // The first sector's sums are not trusted: no value there.
        const int64_t j = SampleIndex(d, kSamplesPerSector * m_File->SectorCount());
        const int64_t k = j < 0 ? -1 : j / kSamplesPerSector;
        const uint8_t* sector = k > 0 ? MappedSector(k) : nullptr;
        if (!sector)
            return 1e200;
        double ax, ay, az;
        SectorAccelerations(sector, ax, ay, az);
        return m_Type == kSeriesAccelX ? ax : m_Type == kSeriesAccelY ? ay : az;
    }
    case kSeriesFilteredEcg:
    case kSeriesThreshold: {
        if (!ResultsShown())
            return 1e200;
        const int64_t j = SampleIndex(d, ResultCount());
        return j >= 0 ? ResultSample(j, m_Type == kSeriesThreshold) : 0.0;
    }
    default:
        return 0.0;
    }
}

void OGrLine_Uevo::SetResultsHidden(bool hidden)
{
    m_ResultsHidden = hidden;
    // A pass rewrites the results and replaces the display data, whose
    // blocks the envelopes read: they are all taken again afterwards.
    m_Envelopes.clear();
    ForgetSpans();
}

const uint8_t* OGrLine_Uevo::MappedSector(int64_t k) const
{
    // A zoomed-out chart reads a few samples in every column, all over the
    // file, and each first touch maps its neighbours too: after a number of
    // such scattered reads the mapped pages are dropped again (they stay in
    // the page cache), so that the window never holds the whole file.
    constexpr int64_t kNear = 16;            // sectors
    constexpr int kFarReadsBeforeDrop = 512; // at most some 32 MiB mapped
    if (k < m_LastSector - kNear || k > m_LastSector + kNear) {
        if (++m_FarReads >= kFarReadsBeforeDrop) {
            m_File->DropMappedPages();
            m_FarReads = 0;
        }
        m_LastSector = k;
    }
    return m_File->Sector(k);
}

void OGrLine_Uevo::ForgetEnvelopes()
{
    m_Envelopes.clear();
    ForgetSpans();
}

void OGrLine_Uevo::ForgetSpans()
{
    m_Span.reset();
    for (OResultSpan& span : m_Spans)
        span.first = -1;
}

int64_t OGrLine_Uevo::ResultCount() const
{
    return m_File->FilterShape() ? m_File->ProcessedN() : 0;
}

int16_t OGrLine_Uevo::ResultSample(int64_t j, bool threshold)
{
    // Spans aligned to their length, so that a chart moving left to right
    // asks for one after the other and the run goes on without a restart.
    // Short, since a zoomed-out chart asks for a few samples at each
    // column's edges; consecutive ones continue the same run cheaply.
    constexpr int64_t kSpan = 256;
    for (const OResultSpan& span : m_Spans)
        if (j >= span.first && j < span.first + span.count)
            return (threshold ? span.threshold : span.filtered)[static_cast<size_t>(j - span.first)];
    if (!m_Span) {
        const OPassDisplay* display = m_File->Display();
        m_Span = std::make_unique<OFilteredSpan>(*m_File, *m_File->FilterShape(), m_File->ProcessedN(),
                                                 display ? &display->checkpoints : nullptr);
    }
    OResultSpan& span = m_Spans[static_cast<size_t>(m_OlderSpan)];
    m_OlderSpan = (m_OlderSpan + 1) % static_cast<int>(m_Spans.size());
    span.first = j - j % kSpan;
    span.filtered.resize(kSpan);
    span.threshold.resize(kSpan);
    span.count = m_Span->Compute(span.first, kSpan, span.filtered.data(), span.threshold.data());
    if (j >= span.first + span.count)
        return 0; // unreadable
    return (threshold ? span.threshold : span.filtered)[static_cast<size_t>(j - span.first)];
}

namespace {

bool PerSector(int type)
{
    return type == kSeriesRawTemperature || (type >= kSeriesAccelX && type <= kSeriesAccelZ);
}

} // namespace

int64_t OGrLine_Uevo::EnvelopeLength() const
{
    switch (m_Type) {
    case kSeriesRawEcg:
        return m_File->IsMapped() ? kSamplesPerSector * m_File->SectorCount() : 0;
    case kSeriesFilteredEcg:
    case kSeriesThreshold:
        return ResultCount();
    default:
        return PerSector(m_Type) && m_File->IsMapped() ? m_File->SectorCount() : 0;
    }
}

namespace {

// Sectors read in order through a buffer of a few hundred, for building an
// envelope without the mapping.
class OSectorChunks {
public:
    explicit OSectorChunks(const OEcgFile& file) : m_File(file), m_Buffer(kChunk * kSectorBytes) {}
    const uint8_t* Sector(int64_t k)
    {
        if (k < m_First || k >= m_First + m_Count) {
            m_First = k;
            m_Count = m_File.ReadSectors(k, kChunk, m_Buffer.data());
            if (m_Count <= 0)
                return nullptr;
        }
        return m_Buffer.data() + (k - m_First) * kSectorBytes;
    }

private:
    static constexpr int64_t kChunk = 256;
    const OEcgFile& m_File;
    std::vector<uint8_t> m_Buffer;
    int64_t m_First = 0, m_Count = 0;
};

// The value of a per-sector series, as GetValue gives it.
double SectorValue(int type, const uint8_t* sector, int64_t k)
{
    if (type == kSeriesRawTemperature)
        return SectorTemperature(sector);
    if (k == 0)
        return 1e200; // as GetValue: the first sector's sums are not trusted
    double ax, ay, az;
    SectorAccelerations(sector, ax, ay, az);
    return type == kSeriesAccelX ? ax : type == kSeriesAccelY ? ay : az;
}

template <class T> void BuildFromTrack(OGrEnvelope& envelope, const OBlockTrack<T>& track)
{
    static_assert(OBlockTrack<T>::kBlock == OGrEnvelope::kFanOut);
    envelope.BuildFromBlocks(track.Count(), [&track](int64_t b, double* lo, double* hi) {
        const OBlockExtremes<T>& e = track.Block(b);
        if (e.lo <= e.hi) {
            *lo = std::min(*lo, static_cast<double>(e.lo));
            *hi = std::max(*hi, static_cast<double>(e.hi));
        }
    });
}

} // namespace

double OGrLine_Uevo::EnvelopeSample(int64_t k) const
{
    if (m_Type == kSeriesRawEcg)
        return SectorSampleWord(MappedSector(k / kSamplesPerSector), static_cast<int>(k % kSamplesPerSector));
    return SectorValue(m_Type, MappedSector(k), k);
}

void OGrLine_Uevo::BuildEnvelope(OGrEnvelope& envelope, int64_t length)
{
    const bool result = m_Type == kSeriesFilteredEcg || m_Type == kSeriesThreshold;
    // While a pass runs its display data is being replaced.
    const OPassDisplay* display = ResultsShown() ? m_File->Display() : nullptr;
    if (display) {
        const auto fits = [length](const auto& track) { return track.Count() == length; };
        switch (m_Type) {
        case kSeriesRawEcg:
            if (fits(display->rawEcg))
                return BuildFromTrack(envelope, display->rawEcg);
            break;
        case kSeriesFilteredEcg:
        case kSeriesThreshold: {
            const auto& track = m_Type == kSeriesFilteredEcg ? display->filtered : display->threshold;
            if (fits(track))
                return BuildFromTrack(envelope, track);
            break;
        }
        default: {
            const auto& track = m_Type == kSeriesRawTemperature ? display->temperature
                                : m_Type == kSeriesAccelX       ? display->accelX
                                : m_Type == kSeriesAccelY       ? display->accelY
                                                                : display->accelZ;
            if (fits(track))
                return BuildFromTrack(envelope, track);
        }
        }
    }
    if (result) {
        const bool threshold = m_Type == kSeriesThreshold;
        envelope.Build(length, [this, threshold](int64_t k) -> double { return ResultSample(k, threshold); });
        return;
    }
    OSectorChunks chunks(*m_File);
    if (m_Type == kSeriesRawEcg) {
        envelope.Build(length, [&chunks](int64_t k) -> double {
            const uint8_t* sector = chunks.Sector(k / kSamplesPerSector);
            return sector ? SectorSampleWord(sector, static_cast<int>(k % kSamplesPerSector)) : 1e200;
        });
        return;
    }
    envelope.Build(length, [this, &chunks](int64_t k) {
        const uint8_t* sector = chunks.Sector(k);
        return sector ? SectorValue(m_Type, sector, k) : 1e200;
    });
}

int OGrLine_Uevo::GetValueRange(double x0, double x1, double* lo, double* hi)
{
    const bool result = m_Type == kSeriesFilteredEcg || m_Type == kSeriesThreshold;
    if (m_Type != kSeriesRawEcg && !result && !PerSector(m_Type))
        return -1; // not offered for this series
    if (result && !ResultsShown())
        return 0;
    const int64_t length = EnvelopeLength();
    if (length <= 0)
        return 0;
    OGrEnvelope& envelope = m_Envelopes[m_Type];
    if (envelope.Count() != length)
        BuildEnvelope(envelope, length);
    const auto sample = [this, result](int64_t k) -> double {
        return result ? ResultSample(k, m_Type == kSeriesThreshold) : EnvelopeSample(k);
    };

    // The samples GetValue reads for x0 <= x < x1, in the envelope's units.
    const double limit = static_cast<double>(kSamplesPerSector) * (length + 1);
    const double j0 = std::clamp(std::trunc((x0 - m_TimeOffset) * kSampleRate), -1.0, limit);
    const double j1 = std::clamp(std::ceil((x1 - m_TimeOffset) * kSampleRate), -1.0, limit);
    if (j1 <= 0.0)
        return 0;
    int64_t i0 = static_cast<int64_t>(j0), i1 = std::max(static_cast<int64_t>(j1), i0 + 1);
    if (PerSector(m_Type)) {
        i0 = i0 < 0 ? -1 : i0 / kSamplesPerSector;
        i1 = (i1 - 1) / kSamplesPerSector + 1;
    }
    return envelope.Range(i0, i1, sample, lo, hi) ? 1 : 0;
}

std::string OGrLine_Uevo::GetName()
{
    switch (m_Type) {
    case kSeriesRawEcg:
        return "Исходный ЭКГ-сигнал";
    case kSeriesRawTemperature:
        return "Исходные температуры";
    case kSeriesAccelX:
        return "Ускорение X";
    case kSeriesAccelY:
        return "Ускорение Y";
    case kSeriesAccelZ:
        return "Ускорение Z";
    case kSeriesFilteredEcg:
        return "Фильтрованный ЭКГ-сигнал";
    case kSeriesThreshold:
        return "Порог";
    case kSeriesDefect:
        return "Мера дефекта импульса";
    case kSeriesImpulses:
        return "Распознанные импульсы";
    case kSeriesSupraBeats:
        return "Наджелудочковые (S)";
    case kSeriesVentricularBeats:
        return "Желудочковые (V)";
    case kSeriesPulse:
        return "Частота пульса";
    case kSeriesTemperature:
        return "Температура";
    case kSeriesCcpRough:
        return "Частота вх CCP1";
    case kSeriesCcpFine:
        return "Частота вх CCP1, точнее";
    default:
        return {};
    }
}
