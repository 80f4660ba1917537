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
    return impulse.Flags != 0 ? kEdfDoubtfulBeatMark : kEdfBeatMark;
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

int EdfAnnotationSignalsNeeded(const OImpulse* impulses, int64_t count, int64_t sectors)
{
    const int64_t records = EdfRecordCount(sectors);
    const int64_t endRecord = RecordOf(EdfOnset(sectors * kSamplesPerSector), records);
    int64_t most = 1;
    int64_t current = -1, inCurrent = 0;
    auto add = [&](int64_t record) {
        if (record != current) {
            current = record;
            inCurrent = 0;
        }
        ++inCurrent;
        most = std::max(most, inCurrent + (record == endRecord ? 1 : 0));
    };
    // Impulses come in ascending order.
    for (int64_t i = 0; i < count; ++i)
        add(RecordOf(EdfOnset(impulses[i].Pos), records));
    return static_cast<int>(std::min<int64_t>(most, kEdfMaxAnnotationSignals + 1));
}
