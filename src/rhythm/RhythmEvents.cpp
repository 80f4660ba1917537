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

ORhythmSummary FindRhythmEvents(const OImpulse* /*impulses*/, int64_t /*count*/, int64_t /*totalSamples*/)
{
    return {}; // the detectors come next
}
