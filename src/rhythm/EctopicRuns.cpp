#include "EctopicRuns.h"

#include "EcgTime.h"

namespace {

char ClassOf(const OImpulse& p)
{
    return p.Class == kBeatUnclassified ? static_cast<char>(kBeatNormal) : p.Class;
}

ORhythmEvent Event(ORhythmKind kind, const OImpulse* impulses, int64_t first, int64_t last)
{
    return {kind, impulses[first].Pos, impulses[last].Pos, static_cast<int32_t>(last - first + 1),
            RunBpm(impulses, first, last)};
}

// Runs of one class: couplets, VT and SVT.
void Runs(const OImpulse* impulses, int64_t count, char cls, std::vector<ORhythmEvent>& events)
{
    for (int64_t i = 0; i < count;) {
        if (ClassOf(impulses[i]) != cls) {
            ++i;
            continue;
        }
        int64_t end = i;
        while (end + 1 < count && ClassOf(impulses[end + 1]) == cls)
            ++end;
        const int64_t beats = end - i + 1;
        if (cls == kBeatVentricular && beats == 2)
            events.push_back(Event(ORhythmKind::Couplet, impulses, i, end));
        else if (beats >= kRunMinBeats && RunBpm(impulses, i, end) >= kRunMinBpm)
            events.push_back(Event(cls == kBeatVentricular ? ORhythmKind::VT : ORhythmKind::SVT, impulses, i, end));
        i = end + 1;
    }
}

// Repeated cycles of `normals` N beats then one V.
void Patterns(const OImpulse* impulses, int64_t count, int normals, std::vector<ORhythmEvent>& events)
{
    const int cycle = normals + 1;
    const auto cycleAt = [&](int64_t i) {
        if (i + cycle > count)
            return false;
        for (int k = 0; k < normals; ++k)
            if (ClassOf(impulses[i + k]) != kBeatNormal)
                return false;
        return ClassOf(impulses[i + normals]) == kBeatVentricular;
    };
    for (int64_t i = 0; i < count;) {
        if (!cycleAt(i)) {
            ++i;
            continue;
        }
        int64_t end = i;
        int repeats = 0;
        while (cycleAt(end)) {
            end += cycle;
            ++repeats;
        }
        if (repeats >= kPatternMinRepeats)
            events.push_back(
                Event(normals == 1 ? ORhythmKind::Bigeminy : ORhythmKind::Trigeminy, impulses, i, end - 1));
        i = end;
    }
}

} // namespace

bool IsSustainedVt(const ORhythmEvent& event)
{
    return event.kind == ORhythmKind::VT &&
           double(event.endSample - event.startSample) >= kSustainedVtSeconds * kSampleRate;
}

double RunBpm(const OImpulse* impulses, int64_t first, int64_t last)
{
    const int64_t span = static_cast<int64_t>(impulses[last].Pos) - impulses[first].Pos;
    if (last <= first || span <= 0)
        return 0;
    return 60.0 * kSampleRate * static_cast<double>(last - first) / static_cast<double>(span);
}

void FindEctopicRuns(const OImpulse* impulses, int64_t count, std::vector<ORhythmEvent>& events)
{
    Runs(impulses, count, kBeatVentricular, events);
    Runs(impulses, count, kBeatSupra, events);
    Patterns(impulses, count, 1, events);
    Patterns(impulses, count, 2, events);
}
