#include "RateRules.h"

#include "EcgTime.h"
#include "NnRule.h"

#include <algorithm>
#include <cmath>

namespace {

bool NormalBeat(const OImpulse& p)
{
    return p.Flags == 0 && NnClass(p.Class);
}

} // namespace

std::vector<ORateEpisode> RateEpisodes(const std::vector<std::optional<double>>& bpmPerMinute)
{
    std::vector<ORateEpisode> episodes;
    for (bool tachy : {false, true}) {
        const auto inside = [&](size_t m) {
            const auto& rate = bpmPerMinute[m];
            return rate && (tachy ? *rate > kTachyBpm : *rate < kBradyBpm);
        };
        for (size_t m = 0; m < bpmPerMinute.size();) {
            if (!inside(m)) {
                ++m;
                continue;
            }
            size_t end = m;
            double extreme = *bpmPerMinute[m];
            while (end < bpmPerMinute.size() && inside(end)) {
                extreme = tachy ? std::max(extreme, *bpmPerMinute[end]) : std::min(extreme, *bpmPerMinute[end]);
                ++end;
            }
            if (static_cast<int>(end - m) >= kEpisodeMinMinutes)
                episodes.push_back({tachy, static_cast<int>(m), static_cast<int>(end - m), extreme});
            m = end;
        }
    }
    std::stable_sort(episodes.begin(), episodes.end(),
                     [](const ORateEpisode& a, const ORateEpisode& b) { return a.firstMinute < b.firstMinute; });
    return episodes;
}

std::vector<std::optional<double>> MinuteRates(const OImpulse* impulses, int64_t count, int64_t totalSamples)
{
    const double durationS = static_cast<double>(totalSamples) / kSampleRate;
    const int64_t minutes = std::max<int64_t>(0, static_cast<int64_t>(std::ceil(durationS / 60)));
    std::vector<double> sum(static_cast<size_t>(minutes), 0.0);
    std::vector<int64_t> n(static_cast<size_t>(minutes), 0);
    const int64_t intervals = std::max<int64_t>(0, count - 1);
    const auto rrMs = [&](int64_t i) { return 1000.0 * (impulses[i + 1].Pos - impulses[i].Pos) / kSampleRate; };
    std::vector<double> neighbours;
    for (int64_t i = 0; i < intervals; ++i) {
        if (!NormalBeat(impulses[i]) || !NormalBeat(impulses[i + 1]))
            continue;
        const double rr = rrMs(i);
        if (rr < kNnMinMs || rr > kNnMaxMs ||
            !NearNeighbourMedian([&](size_t j) { return rrMs(int64_t(j)); }, size_t(intervals), size_t(i), neighbours))
            continue;
        const int64_t m = static_cast<int64_t>(std::floor(impulses[i + 1].Pos / kSampleRate / 60));
        if (m < 0 || m >= minutes)
            continue;
        sum[size_t(m)] += rr;
        ++n[size_t(m)];
    }
    std::vector<std::optional<double>> rate(static_cast<size_t>(minutes));
    for (size_t m = 0; m < rate.size(); ++m)
        if (sum[m] >= kMinuteMinNnS * 1000)
            rate[m] = 60000.0 / (sum[m] / n[m]);
    return rate;
}
