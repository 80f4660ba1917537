#include "HrvMetrics.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

double Mean(const std::vector<double>& values)
{
    double sum = 0;
    for (double v : values)
        sum += v;
    return sum / values.size();
}

} // namespace

std::optional<double> SampleSd(const std::vector<double>& values)
{
    if (values.size() < 2)
        return std::nullopt;
    const double mean = Mean(values);
    double sum = 0;
    for (double v : values)
        sum += (v - mean) * (v - mean);
    return std::sqrt(sum / (values.size() - 1));
}

std::vector<ORrInterval> RrIntervals(const std::vector<OBeat>& beats)
{
    std::vector<ORrInterval> rr;
    if (beats.size() < 2)
        return rr;
    rr.reserve(beats.size() - 1);
    for (size_t i = 1; i < beats.size(); ++i)
        rr.push_back(
            {beats[i].timeMs / 1000, beats[i].timeMs - beats[i - 1].timeMs, false, beats[i - 1].flags, beats[i].flags});

    std::vector<double> neighbours;
    const size_t n = rr.size();
    for (size_t i = 0; i < n; ++i) {
        ORrInterval& r = rr[i];
        if (r.flagsFirst || r.flagsSecond || !NnClass(beats[i].beatClass) || !NnClass(beats[i + 1].beatClass) ||
            r.rrMs < kNnMinMs || r.rrMs > kNnMaxMs)
            continue;
        r.nn = NearNeighbourMedian([&](size_t j) { return rr[j].rrMs; }, n, i, neighbours);
    }
    return rr;
}

OTimeDomain TimeDomain(const std::vector<ORrInterval>& rr, bool segments)
{
    return TimeDomain(rr, 0, rr.size(), segments);
}

OTimeDomain TimeDomain(const std::vector<ORrInterval>& rr, size_t first, size_t last, bool segments)
{
    OTimeDomain d;
    std::vector<double> nn;
    std::vector<double> diffs;
    std::map<int64_t, std::vector<double>> bySegment;
    std::map<int64_t, int64_t> histogram;
    for (size_t i = first; i < last; ++i) {
        const ORrInterval& r = rr[i];
        if (!r.nn) {
            ++d.excludedCount;
            continue;
        }
        nn.push_back(r.rrMs);
        if (i > first && rr[i - 1].nn)
            diffs.push_back(r.rrMs - rr[i - 1].rrMs);
        if (segments)
            bySegment[static_cast<int64_t>(std::floor(r.timeS / kSegmentS))].push_back(r.rrMs);
        ++histogram[static_cast<int64_t>(std::floor(r.rrMs / kTriangularBinMs))];
    }
    d.nnCount = static_cast<int64_t>(nn.size());
    if (nn.empty())
        return d;

    d.meanNn = Mean(nn);
    d.sdnn = SampleSd(nn);
    int64_t highestBin = 0;
    for (const auto& [bin, count] : histogram)
        highestBin = std::max(highestBin, count);
    d.triangularIndex = static_cast<double>(d.nnCount) / highestBin;

    if (!diffs.empty()) {
        double squares = 0;
        int64_t over = 0;
        for (double v : diffs) {
            squares += v * v;
            over += std::abs(v) > kPnnThresholdMs;
        }
        d.rmssd = std::sqrt(squares / diffs.size());
        d.pnn50 = 100.0 * over / diffs.size();
    }
    if (const auto sdDiff = SampleSd(diffs)) {
        d.sd1 = *sdDiff / std::sqrt(2.0);
        if (d.sdnn) {
            const double sd2Squared = 2 * *d.sdnn * *d.sdnn - *d.sd1 * *d.sd1;
            if (sd2Squared >= 0)
                d.sd2 = std::sqrt(sd2Squared);
        }
    }

    std::vector<double> segmentMeans, segmentSds;
    for (const auto& [segment, values] : bySegment) {
        double seconds = 0;
        for (double v : values)
            seconds += v / 1000;
        if (seconds < kSegmentMinNnS)
            continue;
        segmentMeans.push_back(Mean(values));
        if (const auto sd = SampleSd(values))
            segmentSds.push_back(*sd);
    }
    d.segmentsUsed = static_cast<int>(segmentMeans.size());
    d.sdann = SampleSd(segmentMeans);
    if (!segmentSds.empty())
        d.sdnnIndex = Mean(segmentSds);
    return d;
}

std::vector<std::optional<double>> HeartRatePerMinute(const std::vector<ORrInterval>& rr, double durationS)
{
    const int64_t minutes = std::max<int64_t>(0, static_cast<int64_t>(std::ceil(durationS / 60)));
    std::vector<double> sum(static_cast<size_t>(minutes), 0.0);
    std::vector<int64_t> count(static_cast<size_t>(minutes), 0);
    for (const ORrInterval& r : rr) {
        const int64_t m = static_cast<int64_t>(std::floor(r.timeS / 60));
        if (!r.nn || m < 0 || m >= minutes)
            continue;
        sum[size_t(m)] += r.rrMs;
        ++count[size_t(m)];
    }
    std::vector<std::optional<double>> rate(static_cast<size_t>(minutes));
    for (size_t m = 0; m < rate.size(); ++m)
        if (sum[m] >= kMinuteMinNnS * 1000)
            rate[m] = 60000.0 / (sum[m] / count[m]);
    return rate;
}
