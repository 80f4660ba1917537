#include "RhythmEvents.h"

const char* RhythmKindName(ORhythmKind kind)
{
    switch (kind) {
    case ORhythmKind::AF: return "AF";
    case ORhythmKind::VT: return "VT";
    case ORhythmKind::Couplet: return "COUPLET";
    case ORhythmKind::Bigeminy: return "BIGEMINY";
    case ORhythmKind::Trigeminy: return "TRIGEMINY";
    case ORhythmKind::SVT: return "SVT";
    case ORhythmKind::Pause: return "PAUSE";
    case ORhythmKind::Brady: return "BRADY";
    case ORhythmKind::Tachy: return "TACHY";
    }
    return "?";
}

const char* RhythmKindTitle(ORhythmKind kind)
{
    switch (kind) {
    case ORhythmKind::AF: return "Фибрилляция предсердий";
    case ORhythmKind::VT: return "Желудочковая тахикардия";
    case ORhythmKind::Couplet: return "Парные желудочковые экстрасистолы";
    case ORhythmKind::Bigeminy: return "Бигеминия";
    case ORhythmKind::Trigeminy: return "Тригеминия";
    case ORhythmKind::SVT: return "Наджелудочковая тахикардия";
    case ORhythmKind::Pause: return "Пауза";
    case ORhythmKind::Brady: return "Брадикардия";
    case ORhythmKind::Tachy: return "Тахикардия";
    }
    return "?";
}

ORhythmSummary FindRhythmEvents(const OImpulse* /*impulses*/, int64_t /*count*/, int64_t /*totalSamples*/)
{
    return {}; // the detectors come next
}
