#include "RhythmEvents.h"

#include "EcgTime.h"
#include "EctopicRuns.h"
#include "RateRules.h"

#include <algorithm>
#include <cmath>

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

namespace {

void Pauses(const OImpulse* impulses, int64_t count, std::vector<ORhythmEvent>& events)
{
    for (int64_t i = 1; i < count; ++i) {
        const double rrMs = 1000.0 * (impulses[i].Pos - impulses[i - 1].Pos) / kSampleRate;
        if (IsPause(rrMs))
            events.push_back({ORhythmKind::Pause, impulses[i - 1].Pos, impulses[i].Pos, 2, 60000.0 / rrMs});
    }
}

// Brady- and tachycardia over whole minutes; the event spans its minutes
// (the last one cut at the recording's end) and counts the beats inside.
void RateEvents(const OImpulse* impulses, int64_t count, int64_t totalSamples, std::vector<ORhythmEvent>& events)
{
    const double minute = 60 * kSampleRate;
    const auto firstAt = [&](int64_t sample) {
        return std::lower_bound(impulses, impulses + count, sample,
                                [](const OImpulse& p, int64_t s) { return p.Pos < s; }) -
               impulses;
    };
    for (const ORateEpisode& e : RateEpisodes(MinuteRates(impulses, count, totalSamples))) {
        const int64_t start = static_cast<int64_t>(std::ceil(e.firstMinute * minute));
        const int64_t end =
            std::min(totalSamples, static_cast<int64_t>(std::ceil((e.firstMinute + e.minutes) * minute))) - 1;
        const int64_t first = firstAt(start), last = firstAt(end + 1) - 1;
        const int32_t beats = static_cast<int32_t>(std::max<int64_t>(0, last - first + 1));
        events.push_back({e.tachycardia ? ORhythmKind::Tachy : ORhythmKind::Brady, start, std::max(start, end), beats,
                          beats > 1 ? RunBpm(impulses, first, last) : 0.0});
    }
}

// AF episodes; SVT runs inside them, or across or near their edges, are the
// fibrillation's own fast beats, not a rhythm of their own, and are dropped:
// an episode's onset and offset are only known to within half the
// detector's window, so its edges get the margin that bridges gaps inside AF.
double AfEvents(const OImpulse* impulses, int64_t count, const OAfOptions& options, std::vector<ORhythmEvent>& events)
{
    double seconds = 0;
    std::vector<ORhythmEvent> af;
    for (const OAfEpisode& e : FindAfEpisodes(impulses, count, options)) {
        af.push_back({ORhythmKind::AF, impulses[e.first].Pos, impulses[e.last].Pos,
                      static_cast<int32_t>(e.last - e.first + 1), RunBpm(impulses, e.first, e.last)});
        seconds += (impulses[e.last].Pos - impulses[e.first].Pos) / kSampleRate;
    }
    const auto margin = static_cast<int64_t>(options.bridgeS * kSampleRate);
    const auto insideAf = [&](const ORhythmEvent& ev) {
        return ev.kind == ORhythmKind::SVT && std::any_of(af.begin(), af.end(), [&](const ORhythmEvent& a) {
                   return ev.endSample >= a.startSample - margin && ev.startSample <= a.endSample + margin;
               });
    };
    events.erase(std::remove_if(events.begin(), events.end(), insideAf), events.end());
    events.insert(events.end(), af.begin(), af.end());
    return seconds;
}

} // namespace

ORhythmSummary FindRhythmEvents(const OImpulse* impulses, int64_t count, int64_t totalSamples)
{
    return FindRhythmEvents(impulses, count, totalSamples, ORhythmOptions{});
}

ORhythmSummary FindRhythmEvents(const OImpulse* impulses, int64_t count, int64_t totalSamples,
                                const ORhythmOptions& options)
{
    ORhythmSummary summary;
    if (!impulses || count <= 0)
        return summary;
    summary.analysedSeconds = (impulses[count - 1].Pos - impulses[0].Pos) / kSampleRate;
    FindEctopicRuns(impulses, count, summary.events);
    summary.afSeconds = AfEvents(impulses, count, options.af, summary.events);
    Pauses(impulses, count, summary.events);
    RateEvents(impulses, count, totalSamples, summary.events);
    std::stable_sort(summary.events.begin(), summary.events.end(), [](const ORhythmEvent& a, const ORhythmEvent& b) {
        return a.startSample != b.startSample ? a.startSample < b.startSample : a.kind < b.kind;
    });
    return summary;
}
