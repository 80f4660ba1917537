#include "OGrList_Uevo.h"

#include "EcgTime.h"
#include "EventReview.h"
#include "Fatal.h"
#include "StartTime.h"

#include <algorithm>

namespace {

// The narrowest value window worth showing for a series, in its units: a
// nearly flat stretch (a steady temperature) is shown that wide, with labels
// such as 36.78, rather than magnified to its last bits (36.781250001).
double MinimumSpan(int type)
{
    switch (type) {
    case kSeriesRawTemperature:
    case kSeriesTemperature:
        return 0.1; // degrees
    case kSeriesPulse:
    case kSeriesCcpRough:
    case kSeriesCcpFine:
        return 1.0; // beats per minute, hertz
    case kSeriesDefect:
    case kSeriesImpulses:
    case kSeriesSupraBeats:
    case kSeriesVentricularBeats:
        return 1.0;
    case kSeriesAccelX:
    case kSeriesAccelY:
    case kSeriesAccelZ:
        return 4.0;
    default:
        return 20.0; // ECG device units
    }
}

} // namespace

TGrDia* OGrList_Uevo::GetGrDia(int gr)
{
    return gr >= 0 && gr < m_GrCount ? &m_Dia[gr] : nullptr;
}

int OGrList_Uevo::GetLineCount(int gr)
{
    return gr >= 0 && gr < m_GrCount ? m_LineCount[gr] : 0;
}

int OGrList_Uevo::LineType(int gr, int line) const
{
    if (gr < 0 || gr >= m_GrCount || line < 0 || line >= m_LineCount[gr])
        return -1;
    return m_Types[m_FirstLine[gr] + line];
}

OGrLine* OGrList_Uevo::GetLine(int gr, int line)
{
    // A line that does not exist reads as an empty series of no known type.
    m_Line.SetType(LineType(gr, line));
    return &m_Line;
}

int OGrList_Uevo::GetSpanCount(int gr)
{
    for (int k = 0; k < GetLineCount(gr); ++k) {
        const int type = LineType(gr, k);
        if (type == kSeriesRawEcg || type == kSeriesFilteredEcg || type == kSeriesPulse)
            return static_cast<int>(m_Events.size());
    }
    return 0;
}

GrSpan OGrList_Uevo::GetSpan(int /*gr*/, int i)
{
    if (i < 0 || i >= static_cast<int>(m_Events.size()))
        return {};
    const ORhythmEvent& e = m_Events[i];
    GrSpan span;
    span.lo = e.startSample * kSamplePeriod + m_StartTime;
    span.hi = std::max(e.endSample, e.startSample) * kSamplePeriod + m_StartTime;
    span.rgb = RhythmKindRgb(e.kind);
    span.strong = i == m_ChosenEvent;
    return span;
}

void OGrList_Uevo::SetEvents(std::vector<ORhythmEvent> events)
{
    m_Events = std::move(events);
    m_ChosenEvent = -1;
}

void OGrList_Uevo::Clear()
{
    m_GrCount = 0;
    m_TotalLines = 0;
}

void OGrList_Uevo::AddGr()
{
    if (m_GrCount < 0 || m_GrCount >= kMaxGraphs)
        Halt("OGrList_Uevo::AddGr() - слишком много графиков");
    m_LineCount[m_GrCount] = 0;
    m_Dia[m_GrCount] = TGrDia();
    m_FirstLine[m_GrCount] = m_TotalLines;
    ++m_GrCount;
}

void OGrList_Uevo::AddLine(int type)
{
    if (m_GrCount <= 0)
        Halt("OGrList_Uevo::AddLine() - ещё не создан график");
    if (m_TotalLines < 0 || m_TotalLines >= kMaxLines)
        Halt("OGrList_Uevo::AddGr() - слишком много линий");
    m_Types[m_TotalLines++] = type;
    ++m_LineCount[m_GrCount - 1];
    TGrDia& axis = m_Dia[m_GrCount - 1];
    axis.minSpan = std::max(axis.minSpan, MinimumSpan(type));
}

void OGrList_Uevo::Rebuild(const OSeriesChoice& c, std::string& startTimeText, int halfWidth)
{
    Clear();
    if (c.rawEcg) {
        AddGr();
        AddLine(kSeriesRawEcg);
    }
    if (c.filteredEcg) {
        AddGr();
        AddLine(kSeriesFilteredEcg);
    }
    if (c.threshold) {
        if (!c.filteredEcg)
            AddGr();
        AddLine(kSeriesThreshold);
    }
    if (c.defect) {
        AddGr();
        AddLine(kSeriesDefect);
    }
    if (c.impulses) {
        AddGr();
        AddLine(kSeriesImpulses);
        if (m_Line.IndexBeatClasses()) {
            AddLine(kSeriesSupraBeats);
            AddLine(kSeriesVentricularBeats);
        }
    }
    if (c.pulse) {
        AddGr();
        AddLine(kSeriesPulse);
    }
    if (c.rawTemperature) {
        AddGr();
        AddLine(kSeriesRawTemperature);
    }
    if (c.temperature) {
        if (!c.rawTemperature)
            AddGr();
        AddLine(kSeriesTemperature);
    }
    if (c.ccp) {
        AddGr();
        AddLine(kSeriesCcpRough);
    }
    if (c.ccpFine) {
        if (!c.ccp)
            AddGr();
        AddLine(kSeriesCcpFine);
    }
    if (c.rawAccelerations) {
        for (int type : {kSeriesAccelX, kSeriesAccelY, kSeriesAccelZ}) {
            if (type == kSeriesAccelX || c.separateXyz)
                AddGr();
            AddLine(type);
        }
    }

    m_StartTime = ReadStartTime(startTimeText);
    m_Line.SetTimeOffset(m_StartTime);
    m_Line.SetHalfWidth(halfWidth);
}
