#include "ReportRhythm.h"

#include "StrFormat.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

constexpr double kTimeEpsS = 1e-6;  // beat times come from sample indices
constexpr double kCentredUpToS = 8; // longer events are shown from their onset
constexpr double kBeforeOnsetS = 1;

ORhythmSummary EventsFromBeats(const OHolterReport& r)
{
    std::vector<OImpulse> impulses;
    impulses.reserve(r.info.beats.size());
    for (const OBeat& b : r.info.beats) {
        OImpulse impulse{static_cast<int32_t>(std::llround(b.timeMs / 1000 * r.info.sampleRate)), b.flags, 0, 0};
        impulse.Class = b.beatClass;
        impulses.push_back(impulse);
    }
    return FindRhythmEvents(impulses.data(), static_cast<int64_t>(impulses.size()),
                            std::llround(r.info.durationS * r.info.sampleRate));
}

void KindRows(OHolterReport& r)
{
    std::map<ORhythmKind, ORhythmKindRow> rows;
    const auto& events = r.rhythm.events;
    for (size_t i = 0; i < events.size(); ++i) {
        const ORhythmEvent& e = events[i];
        auto [at, added] = rows.try_emplace(e.kind, ORhythmKindRow{e.kind, 0, 0, i, i, i});
        ORhythmKindRow& row = at->second;
        ++row.count;
        row.totalS += EventSeconds(r, e);
        if (EventStartS(r, e) < EventStartS(r, events[row.first]))
            row.first = i;
        if (EventSeconds(r, e) > EventSeconds(r, events[row.longest]))
            row.longest = i;
        if (e.meanBpm > events[row.fastest].meanBpm)
            row.fastest = i;
    }
    for (auto& [kind, row] : rows)
        r.kinds.push_back(row);
}

// RR intervals whose second beat lies inside an AF episode leave the NN set.
void LeaveAfOut(OHolterReport& r)
{
    for (const ORhythmEvent& e : r.rhythm.events) {
        if (e.kind != ORhythmKind::AF)
            continue;
        const double start = EventStartS(r, e), end = start + EventSeconds(r, e);
        auto it = std::upper_bound(r.rr.begin(), r.rr.end(), start + kTimeEpsS,
                                   [](double t, const ORrInterval& i) { return t < i.timeS; });
        for (; it != r.rr.end() && it->timeS <= end + kTimeEpsS; ++it) {
            if (!it->inAf)
                r.hrvAfExcludedS += it->rrMs / 1000;
            it->inAf = true;
            it->nn = false;
        }
    }
}

} // namespace

const char* RhythmKindShort(ORhythmKind kind)
{
    switch (kind) {
    case ORhythmKind::AF:
        return "ФП";
    case ORhythmKind::VT:
        return "ЖТ";
    case ORhythmKind::Couplet:
        return "Пара ЖЭС";
    case ORhythmKind::SVT:
        return "НЖТ";
    default:
        return RhythmKindTitle(kind);
    }
}

std::optional<double> BeatBurdenPct(const OHolterReport& r, char beatClass)
{
    if (r.beatCount == 0)
        return std::nullopt;
    return 100.0 * double(r.classes.Of(beatClass)) / double(r.beatCount);
}

std::optional<double> HourBurdenPct(const OHourRow& hour, char beatClass)
{
    if (hour.beats == 0)
        return std::nullopt;
    return 100.0 * double(hour.classes.Of(beatClass)) / double(hour.beats);
}

double EventStartS(const OHolterReport& r, const ORhythmEvent& e)
{
    return double(e.startSample) / r.info.sampleRate;
}

double EventSeconds(const OHolterReport& r, const ORhythmEvent& e)
{
    return double(e.endSample - e.startSample) / r.info.sampleRate;
}

void RhythmFigures(OHolterReport& r)
{
    for (const OBeat& b : r.info.beats)
        r.classes.Add(b.beatClass);
    r.rhythm = r.info.rhythm ? *r.info.rhythm : EventsFromBeats(r);
    KindRows(r);
    LeaveAfOut(r);
}

void HourlyRhythm(OHolterReport& r)
{
    size_t beat = 0;
    for (OHourRow& h : r.hours) {
        const double from = h.hour * 3600.0, to = from + 3600;
        while (beat < r.info.beats.size() && r.info.beats[beat].timeMs / 1000 < to)
            h.classes.Add(r.info.beats[beat++].beatClass);
        for (const ORhythmEvent& e : r.rhythm.events) {
            const double start = EventStartS(r, e), end = start + EventSeconds(r, e);
            if (start >= from && start < to)
                ++h.events[size_t(e.kind)];
            if (e.kind == ORhythmKind::AF)
                h.afS += std::max(0.0, std::min(end, to) - std::max(start, from));
        }
    }
}

void RhythmStrips(OHolterReport& r)
{
    if (!r.info.samples)
        return;
    for (const ORhythmKindRow& row : r.kinds) {
        // One strip per event, with every role it plays.
        std::vector<std::pair<size_t, std::string>> shown;
        for (auto [index, role] :
             {std::pair<size_t, const char*>{row.first, "first"}, {row.longest, "longest"}, {row.fastest, "fastest"}}) {
            auto at = std::find_if(shown.begin(), shown.end(), [&](const auto& s) { return s.first == index; });
            if (at == shown.end())
                shown.emplace_back(index, role);
            else
                at->second += std::string(",") + role;
        }
        for (const auto& [index, roles] : shown) {
            const ORhythmEvent& e = r.rhythm.events[index];
            const double start = EventStartS(r, e), length = EventSeconds(r, e);
            OStrip s = EcgStrip(r, length <= kCentredUpToS ? start + length / 2 : start + kStripS / 2 - kBeforeOnsetS);
            // The title stays short beside the strip's scale: an event that
            // is first, longest and fastest at once needs no role.
            std::vector<const char*> said;
            for (const auto& [role, text] : {std::pair<const char*, const char*>{"first", "первый"},
                                             {"longest", "самый длинный"},
                                             {"fastest", "самый частый"}})
                if (roles.find(role) != std::string::npos)
                    said.push_back(text);
            std::string role;
            if (said.size() < 3)
                role = said.size() == 1 ? StrFormat(", %s", said[0]) : StrFormat(", %s и %s", said[0], said[1]);
            s.title = StrFormat("%s%s: %.1f с, %.0f уд/мин", RhythmKindShort(e.kind), role.c_str(), length, e.meanBpm);
            s.kind = RhythmKindName(e.kind);
            s.role = roles;
            s.eventTimeS = start;
            s.valueMs = length * 1000;
            r.rhythmStrips.push_back(std::move(s));
        }
    }
}
