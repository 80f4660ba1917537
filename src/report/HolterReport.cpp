#include "HolterReport.h"

#include "ReportRhythm.h"
#include "StrFormat.h"

#include <algorithm>
#include <cmath>

namespace {

std::optional<double> MeanOf(const std::vector<std::optional<double>>& values, size_t first, size_t last)
{
    double sum = 0;
    int n = 0;
    for (size_t i = first; i < std::min(last, values.size()); ++i)
        if (values[i]) {
            sum += *values[i];
            ++n;
        }
    if (n == 0)
        return std::nullopt;
    return sum / n;
}

void HeartRateRange(OHolterReport& r)
{
    r.hrMean = MeanOf(r.hrPerMinute, 0, r.hrPerMinute.size());
    for (size_t m = 0; m < r.hrPerMinute.size(); ++m) {
        const auto& rate = r.hrPerMinute[m];
        if (!rate)
            continue;
        if (!r.hrMin || *rate < *r.hrMin) {
            r.hrMin = rate;
            r.hrMinMinute = static_cast<int>(m);
        }
        if (!r.hrMax || *rate > *r.hrMax) {
            r.hrMax = rate;
            r.hrMaxMinute = static_cast<int>(m);
        }
    }
}

void Episodes(OHolterReport& r)
{
    for (const ORateEpisode& e : RateEpisodes(r.hrPerMinute))
        r.episodes.push_back({e.tachycardia, e.firstMinute, e.minutes, e.extremeBpm});
}

// Activity and temperature per minute from the sectors' sums; sectors past
// the last minute of the heart rate are left out.
void SectorChannels(OHolterReport& r)
{
    const size_t minutes = r.hrPerMinute.size();
    const auto& sums = r.info.sectors.Minutes();
    r.activityPerMinute.assign(minutes, std::nullopt);
    r.temperaturePerMinute.assign(minutes, std::nullopt);
    for (size_t m = 0; m < std::min(minutes, sums.size()); ++m) {
        if (sums[m].pairs)
            r.activityPerMinute[m] = sums[m].activity / sums[m].pairs;
        if (sums[m].sectors)
            r.temperaturePerMinute[m] = sums[m].temperature / sums[m].sectors;
    }
}

void Hours(OHolterReport& r)
{
    const int hours = static_cast<int>(std::ceil(r.info.durationS / 3600));
    size_t beat = 0, interval = 0;
    for (int h = 0; h < hours; ++h) {
        OHourRow row;
        row.hour = h;
        const double end = (h + 1) * 3600.0;
        while (beat < r.info.beats.size() && r.info.beats[beat].timeMs / 1000 < end) {
            ++row.beats;
            ++beat;
        }
        const size_t first = interval;
        while (interval < r.rr.size() && r.rr[interval].timeS < end)
            ++interval;
        const OTimeDomain d = TimeDomain(r.rr, first, interval, false);
        row.sdnn = d.sdnn;
        row.rmssd = d.rmssd;
        if (interval > first)
            row.excludedPct = 100.0 * d.excludedCount / double(interval - first);
        const size_t m0 = size_t(h) * 60, m1 = m0 + 60;
        row.hrMean = MeanOf(r.hrPerMinute, m0, m1);
        for (size_t m = m0; m < std::min(m1, r.hrPerMinute.size()); ++m)
            if (const auto& rate = r.hrPerMinute[m]) {
                row.hrMin = row.hrMin ? std::min(*row.hrMin, *rate) : *rate;
                row.hrMax = row.hrMax ? std::max(*row.hrMax, *rate) : *rate;
            }
        row.activity = MeanOf(r.activityPerMinute, m0, m1);
        row.temperature = MeanOf(r.temperaturePerMinute, m0, m1);
        r.hours.push_back(row);
    }
}

// The ECG around centreS with its baseline (a centred moving mean over one
// second) removed, and the beats on it.
OStrip Strip(const OHolterReport& r, double centreS)
{
    OStrip strip;
    const double rate = r.info.sampleRate;
    const double start = std::clamp(centreS - kStripS / 2, 0.0, std::max(0.0, r.info.durationS - kStripS));
    strip.startS = start;
    const int64_t first = static_cast<int64_t>(std::floor(start * rate));
    const int64_t count = static_cast<int64_t>(kStripS * rate);
    const int64_t half = static_cast<int64_t>(rate / 2);
    const int64_t from = std::max<int64_t>(0, first - half);
    const std::vector<double> raw = r.info.samples(from, count + (first - from) + half);
    std::vector<double> prefix(raw.size() + 1, 0.0);
    for (size_t i = 0; i < raw.size(); ++i)
        prefix[i + 1] = prefix[i] + raw[i];
    for (int64_t i = first - from; i < std::min<int64_t>(int64_t(raw.size()), first - from + count); ++i) {
        const int64_t lo = std::max<int64_t>(0, i - half), hi = std::min<int64_t>(int64_t(raw.size()), i + half + 1);
        strip.ecg.push_back(static_cast<float>(raw[size_t(i)] - (prefix[size_t(hi)] - prefix[size_t(lo)]) / (hi - lo)));
    }
    for (const OBeat& b : r.info.beats) {
        const double t = b.timeMs / 1000;
        if (t >= start && t < start + kStripS)
            strip.beats.push_back({t, b.flags != 0, b.beatClass});
    }
    return strip;
}

void Strips(OHolterReport& r)
{
    if (!r.info.samples)
        return;
    for (const OPause& p : LongestPauses(r.pauses, kStripPauses)) {
        OStrip s = Strip(r, p.timeS - p.rrMs / 2000);
        s.title = StrFormat("Пауза %.2f с", p.rrMs / 1000);
        s.kind = "pause";
        s.eventTimeS = p.timeS;
        s.valueMs = p.rrMs;
        r.strips.push_back(std::move(s));
    }
    const auto minuteStrip = [&](int minute, const char* kind, const char* title) {
        if (minute < 0)
            return;
        OStrip s = Strip(r, minute * 60.0 + 30);
        s.title = StrFormat("%s: ЧСС %.0f уд/мин", title, *r.hrPerMinute[size_t(minute)]);
        s.kind = kind;
        s.eventTimeS = minute * 60.0;
        s.valueMs = *r.hrPerMinute[size_t(minute)];
        r.strips.push_back(std::move(s));
    };
    minuteStrip(r.hrMaxMinute, "fastest_minute", "Самая частая минута");
    minuteStrip(r.hrMinMinute, "slowest_minute", "Самая редкая минута");
}

} // namespace

OStrip EcgStrip(const OHolterReport& report, double centreS)
{
    return Strip(report, centreS);
}

std::vector<OPause> LongestPauses(const std::vector<OPause>& pauses, size_t count)
{
    std::vector<OPause> longest = pauses;
    std::stable_sort(longest.begin(), longest.end(), [](const OPause& a, const OPause& b) { return a.rrMs > b.rrMs; });
    if (longest.size() > count)
        longest.resize(count);
    return longest;
}

std::optional<OHolterReport> BuildHolterReport(OReportInput input, OReportControl& control)
{
    OHolterReport r;
    r.info = std::move(input);
    r.beatCount = static_cast<int64_t>(r.info.beats.size());
    control.Progress(0);
    r.rr = RrIntervals(r.info.beats);
    RhythmFigures(r);
    control.Progress(100);
    if (control.Cancelled())
        return std::nullopt;
    r.time = TimeDomain(r.rr);
    for (const ORrInterval& i : r.rr)
        if (IsPause(i.rrMs))
            r.pauses.push_back({i.timeS, i.rrMs});
    r.hrPerMinute = HeartRatePerMinute(r.rr, r.info.durationS);
    HeartRateRange(r);
    Episodes(r);
    control.Progress(200);
    if (control.Cancelled())
        return std::nullopt;
    r.frequency = FrequencyDomain(r.rr);
    control.Progress(300);
    SectorChannels(r);
    Hours(r);
    HourlyRhythm(r);
    control.Progress(700);
    Strips(r);
    RhythmStrips(r);
    // What the pages and the files do not read goes before they are drawn.
    r.info.beats = {};
    r.info.sectors = OSectorMinutes();
    r.info.samples = nullptr;
    control.Progress(800);
    if (control.Cancelled())
        return std::nullopt;
    return r;
}
