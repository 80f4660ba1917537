#include "BeatTables.h"

#include "EcgTime.h"
#include "StrFormat.h"

#include <algorithm>

char BeatClassLetter(char beatClass)
{
    return std::find(kBeatClasses.begin(), kBeatClasses.end(), beatClass) != kBeatClasses.end() ? beatClass
                                                                                                : kUnclassifiedLetter;
}

void OBeatClassCounts::Add(char beatClass)
{
    const auto at = std::find(kBeatClasses.begin(), kBeatClasses.end(), beatClass);
    if (at == kBeatClasses.end())
        ++unclassified;
    else
        ++perClass[size_t(at - kBeatClasses.begin())];
}

int64_t OBeatClassCounts::Of(char beatClass) const
{
    const auto at = std::find(kBeatClasses.begin(), kBeatClasses.end(), beatClass);
    return at == kBeatClasses.end() ? unclassified : perClass[size_t(at - kBeatClasses.begin())];
}

int64_t OBeatClassCounts::Total() const
{
    int64_t total = unclassified;
    for (int64_t n : perClass)
        total += n;
    return total;
}

OBeatClassCounts CountBeatClasses(const OImpulse* impulses, int64_t count)
{
    OBeatClassCounts counts;
    for (int64_t i = 0; i < count; ++i)
        counts.Add(impulses[i].Class);
    return counts;
}

std::string BeatTableText(const OImpulse* impulses, int64_t count)
{
    std::string text;
    text.reserve(static_cast<size_t>(std::max<int64_t>(count, 0)) * 14);
    for (int64_t i = 0; i < count; ++i)
        text += StrFormat("%d\t%u\t%c\n", impulses[i].Pos, static_cast<unsigned>(impulses[i].Flags),
                          BeatClassLetter(impulses[i].Class));
    return text;
}

std::string EventTableText(const ORhythmSummary& summary)
{
    std::string text;
    for (const ORhythmEvent& e : summary.events)
        text += StrFormat("%s\t%.3f\t%.3f\t%d\t%.1f\n", RhythmKindName(e.kind), e.startSample / kSampleRate,
                          e.endSample / kSampleRate, e.beats, e.meanBpm);
    return text;
}
