#include "EdfBeatMarks.h"

#include "EdfLayout.h"

#include <algorithm>
#include <cmath>

int64_t EdfOnset(int64_t sample)
{
    return std::llround(sample * kEdfOnsetUnitsPerSample);
}

const char* EdfBeatText(const OImpulse& impulse)
{
    const bool flagged = impulse.Flags != 0;
    switch (impulse.Class) {
    case kBeatNormal:
        return flagged ? "N?" : "N";
    case kBeatSupra:
        return flagged ? "S?" : "S";
    case kBeatVentricular:
        return flagged ? "V?" : "V";
    case kBeatFusion:
        return flagged ? "F?" : "F";
    case kBeatUnknown:
        return flagged ? "Q?" : "Q";
    default:
        return flagged ? kEdfDoubtfulBeatMark : kEdfBeatMark;
    }
}

int64_t EdfDuration(const ORhythmEvent& event)
{
    return EdfOnset(event.endSample) - EdfOnset(event.startSample);
}

namespace {
// The record an onset falls into, from the onset itself (its rounding may
// carry it across a record's edge); the end mark belongs to the last record.
int64_t RecordOf(int64_t onset, int64_t records)
{
    const int64_t r = onset * 10 / kEdfRecordDuration10us;
    return std::clamp<int64_t>(r, 0, std::max<int64_t>(records - 1, 0));
}
} // namespace

int EdfAnnotationSignalsNeeded(const OImpulse* impulses, int64_t count, int64_t sectors,
                               const std::vector<ORhythmEvent>& events)
{
    const int64_t records = std::max<int64_t>(EdfRecordCount(sectors), 1);
    // Marks per record; events fall between the beats, so the counts are kept
    // for every record rather than for a run of ascending onsets.
    std::vector<int32_t> marks(static_cast<size_t>(records), 0);
    ++marks[size_t(RecordOf(EdfOnset(sectors * kSamplesPerSector), records))];
    for (int64_t i = 0; i < count; ++i)
        ++marks[size_t(RecordOf(EdfOnset(impulses[i].Pos), records))];
    for (const ORhythmEvent& e : events)
        ++marks[size_t(RecordOf(EdfOnset(e.startSample), records))];
    const int64_t most = *std::max_element(marks.begin(), marks.end());
    return static_cast<int>(std::min<int64_t>(most, kEdfMaxAnnotationSignals + 1));
}
