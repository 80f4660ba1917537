#include "AfDetector.h"

#include "EcgTime.h"

#include <algorithm>
#include <cmath>

namespace {

// The measures are taken every few intervals: the window moves by a quarter
// of a second or so, far below the half minute an episode must last.
constexpr int64_t kStride = 4;

double MedianOf(std::vector<double>& values)
{
    const size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half), values.end());
    return values[half];
}

// An interval whose beats were both conducted from the atria: not flagged as
// doubtful, not ventricular, fused or unclassifiable.
bool Conducted(const OImpulse& p)
{
    return (p.Flags & ~kImpulseEdge) == 0 && p.Class != kBeatVentricular && p.Class != kBeatFusion &&
           p.Class != kBeatUnknown;
}

} // namespace

std::vector<OAfMeasure> AfMeasures(const OImpulse* impulses, int64_t count, const OAfOptions& options)
{
    const int64_t n = std::max<int64_t>(0, count - 1);
    std::vector<double> rr(static_cast<size_t>(n));
    std::vector<char> usable(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) {
        rr[size_t(i)] = impulses[i + 1].Pos - impulses[i].Pos;
        usable[size_t(i)] = Conducted(impulses[i]) && Conducted(impulses[i + 1]) && rr[size_t(i)] > 0;
    }
    const int half = options.window / 2;
    // Whether each point (RR_(j-1), RR_j) of the Poincaré plot has another
    // point near it among its neighbours: sinus rhythm, even with frequent
    // ectopic beats, makes a few tight clusters, AF a cloud.
    std::vector<char> matched(static_cast<size_t>(n), 0), point(static_cast<size_t>(n), 0);
    for (int64_t j = 1; j < n; ++j) {
        point[size_t(j)] = usable[size_t(j)] && usable[size_t(j - 1)];
        if (!point[size_t(j)])
            continue;
        const double x = rr[size_t(j - 1)], y = rr[size_t(j)];
        for (int64_t k = std::max<int64_t>(1, j - half); k < std::min(n, j + half + 1) && !matched[size_t(j)]; ++k)
            matched[size_t(j)] = k != j && usable[size_t(k)] && usable[size_t(k - 1)] &&
                                 std::abs(rr[size_t(k - 1)] - x) <= options.match * x &&
                                 std::abs(rr[size_t(k)] - y) <= options.match * y;
    }
    std::vector<double> values;
    values.reserve(size_t(options.window) + 1);
    if (options.prematureFilter) {
        // An isolated premature beat: a short interval followed by a long
        // one that together span about two of the local intervals.
        std::vector<char> keep = usable;
        for (int64_t i = 0; i + 1 < n; ++i) {
            if (rr[size_t(i)] >= 0.75 * rr[size_t(i + 1)])
                continue; // cannot pass the test below: spare the median
            values.clear();
            for (int64_t j = std::max<int64_t>(0, i - 8); j < std::min(n, i + 9); ++j)
                if (usable[size_t(j)])
                    values.push_back(rr[size_t(j)]);
            if (values.size() < 4)
                continue;
            const double local = MedianOf(values);
            const double a = rr[size_t(i)], b = rr[size_t(i + 1)];
            if (a < 0.8 * local && b > 1.1 * local && std::abs(a + b - 2 * local) < 0.2 * local)
                keep[size_t(i)] = keep[size_t(i + 1)] = 0;
        }
        usable.swap(keep);
    }
    std::vector<OAfMeasure> measures(static_cast<size_t>(n));
    for (int64_t block = 0; block < n; block += kStride) {
        const int64_t c = std::min(n - 1, block + kStride / 2);
        OAfMeasure& m = measures[size_t(block)];
        const int64_t from = std::max<int64_t>(0, c - half), to = std::min(n, c + half);
        values.clear();
        for (int64_t j = from; j < to; ++j)
            if (usable[size_t(j)])
                values.push_back(rr[size_t(j)]);
        if (static_cast<int>(values.size()) < options.minValid)
            continue;
        const double median = MedianOf(values);
        std::sort(values.begin(), values.end());
        size_t densest = 0;
        for (size_t a = 0, b = 0; a < values.size(); ++a) {
            while (b < values.size() && values[b] <= values[a] * (1 + options.band))
                ++b;
            densest = std::max(densest, b - a);
        }
        m.clustered = double(densest) / double(values.size());
        int points = 0, near = 0;
        for (int64_t j = from; j < to; ++j) {
            points += point[size_t(j)];
            near += matched[size_t(j)];
        }
        m.matched = points > 0 ? double(near) / points : 0;
        double best = -1;
        for (int k = 1; k <= options.maxLag; ++k) {
            values.clear();
            for (int64_t j = std::max<int64_t>(from + k, k); j < to; ++j)
                if (usable[size_t(j)] && usable[size_t(j - k)])
                    values.push_back(std::abs(rr[size_t(j)] - rr[size_t(j - k)]));
            if (static_cast<int>(values.size()) < options.minValid)
                continue;
            const double value = MedianOf(values) / median;
            if (best < 0 || value < best)
                best = value;
        }
        m.irregularity = best;
        for (int64_t i = block + 1; i < std::min(n, block + kStride); ++i)
            measures[size_t(i)] = m;
    }
    return measures;
}

std::vector<OAfEpisode> FindAfEpisodes(const OImpulse* impulses, int64_t count, const OAfOptions& options)
{
    const std::vector<OAfMeasure> measures = AfMeasures(impulses, count, options);
    const int64_t n = static_cast<int64_t>(measures.size());
    // Runs of AF intervals; an interval that cannot be judged keeps the state
    // before it.
    std::vector<OAfEpisode> runs;
    bool af = false;
    for (int64_t i = 0; i < n; ++i) {
        const OAfMeasure& m = measures[size_t(i)];
        const bool now = m.irregularity < 0 ? af
                                            : m.irregularity > options.threshold &&
                                                  m.clustered < options.maxClustered && m.matched < options.maxMatched;
        if (now && !af)
            runs.push_back({i, i + 1});
        if (now)
            runs.back().last = i + 1;
        af = now;
    }
    const auto seconds = [&](int64_t a, int64_t b) { return (impulses[b].Pos - impulses[a].Pos) / kSampleRate; };
    // Between two runs only the intervals judged regular speak against AF:
    // a stretch that could not be judged (its intervals touch V, Q or
    // doubtful beats, as aberrant beats in AF often do) is no evidence of
    // sinus rhythm.
    const auto judgedGap = [&](int64_t a, int64_t b) {
        double sum = 0;
        for (int64_t i = a; i < b; ++i)
            if (measures[size_t(i)].irregularity >= 0)
                sum += seconds(i, i + 1);
        return sum;
    };
    std::vector<OAfEpisode> merged;
    for (const OAfEpisode& r : runs) {
        if (!merged.empty() && judgedGap(merged.back().last, r.first) < options.bridgeS)
            merged.back().last = r.last;
        else
            merged.push_back(r);
    }
    std::vector<OAfEpisode> episodes;
    for (const OAfEpisode& e : merged)
        if (seconds(e.first, e.last) >= options.minEpisodeS)
            episodes.push_back(e);
    return episodes;
}
