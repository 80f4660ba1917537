#include "BeatClassifier.h"

#include "BeatFeatures.h"
#include "BeatFlutter.h"
#include "BeatNoise.h"
#include "BeatRhythm.h"
#include "BeatRunContext.h"
#include "BeatTemplates.h"
#include "EcgTime.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

using namespace beat;

namespace {

constexpr double kNarrowMs = 70; // slope-energy width (BeatFeatures), above normal beats' 45 to 66 ms
constexpr double kPWave = 0.05;
constexpr double kEscapeBpm = 50;      // idioventricular escape beats slower than this
constexpr double kReferenceShare = 0.1;
constexpr double kSameShape = 0.95;
constexpr double kOtherShape = 0.8;
constexpr double kOtherHeight = 1.5; // QRS height ratio to the reference, either way
constexpr double kSomeWiderMs = 12;
constexpr double kWiderMs = 25;
constexpr double kOnTime = 0.9;   // of the reference interval
constexpr double kRunStart = 0.8;
constexpr double kReset = 0.15;
constexpr double kVentricularLike = 0.8; // correlation with a ventricular reference
constexpr int kTimedBeats = 3;
constexpr double kOnTimeTolerance = 0.1; // of the reference interval
constexpr int kOnTimeBeats = 8;
constexpr double kOnTimeShare = 0.8;
constexpr double kFixedCoupling = 0.5;
constexpr double kSplitTolerance = 0.2; // of the reference interval
constexpr double kSplitNear = 0.35;
constexpr int64_t kRareShapeBeats = 3;  // a cluster this small is a rare shape
constexpr double kRareShapeNoise = 0.5; // of the recording's noise bar: a rare shape's
constexpr int kNoCluster = -1;
constexpr int kNoisyBeat = -2;

// A P wave in the 250 ms before the template's QRS: a bump that rises and
// returns (or falls and returns) by kPWave of the QRS height on both sides
// of its peak. The slope of a wide QRS's slow start, or the end of the T
// wave before, goes one way only and is no P wave.
bool HasPWave(const OWave& w, const OQrsExtent& qrs, double amplitude)
{
    const int end = qrs.onset - 2;
    const int start = std::max(0, qrs.onset - 61);
    if (end - start < 20 || amplitude <= 0)
        return false;
    auto bump = [&](int sign) {
        int peak = start;
        for (int k = start; k <= end; ++k)
            if (sign * w[size_t(k)] > sign * w[size_t(peak)])
                peak = k;
        double before = 0, after = 0;
        for (int k = start; k <= peak; ++k)
            before = std::max(before, sign * double(w[size_t(peak)] - w[size_t(k)]));
        for (int k = peak; k <= end; ++k)
            after = std::max(after, sign * double(w[size_t(peak)] - w[size_t(k)]));
        return std::min(before, after);
    };
    return std::max(bump(1), bump(-1)) >= kPWave * amplitude;
}

// The median R-R interval between two consecutive beats of cluster c
// (samples; 0 when there is none).
double MedianInterval(const OImpulse* b, int64_t count, const std::vector<int32_t>& cluster, int c)
{
    std::vector<int32_t> rr;
    for (int64_t i = 1; i < count; ++i)
        if (cluster[size_t(i)] == c && cluster[size_t(i - 1)] == c)
            rr.push_back(b[i].Pos - b[i - 1].Pos);
    if (rr.empty())
        return 0;
    std::nth_element(rr.begin(), rr.begin() + std::ptrdiff_t(rr.size() / 2), rr.end());
    return rr[rr.size() / 2];
}

// Whether a beat of supraventricular shape is ectopic, from its timing. Only
// in a regular rhythm, and sooner than kPremature of the local reference:
//  - a beat alone (the next one on time) must be followed by a pause at
//    least kReset of the reference longer than its own interval (the sinus
//    node reset by the early beat), and the latest interval between two
//    supraventricular beats before it must have been on time: sinus
//    arrhythmia shortens and lengthens the intervals gradually, and a rhythm
//    that is simply faster than the reference is not ectopic;
//  - the first beat of a run (the next one early too) must come sooner than
//    kRunStart of the reference, after an interval on time;
//  - a later beat of a run follows an ectopic one.
template <class SupraShaped>
bool SupraventricularEctopic(const OImpulse* b, const std::vector<ORhythmPoint>& rhythm, int64_t i,
                             SupraShaped&& supraShaped)
{
    const ORhythmPoint& r = rhythm[size_t(i)];
    if (i < 2 || r.irregular || !(r.before > 0 && r.before < kPremature))
        return false;
    if (b[i - 1].Class == kBeatSupra)
        return true;
    const bool onTimeBefore = r.lastSupra >= kOnTime;
    const bool nextEarly = supraShaped(i + 1) && rhythm[size_t(i + 1)].before > 0 && rhythm[size_t(i + 1)].before < kPremature;
    if (nextEarly)
        return onTimeBefore && r.before < kRunStart && r.before < kAbrupt * r.lastSupra;
    return onTimeBefore && r.after - r.before >= kReset;
}

// For each cluster, how much the R-R intervals ending at its beats vary:
// their median distance from their median, relative to it (0: fewer than
// kTimedBeats intervals).
std::vector<double> CouplingSpread(const OImpulse* b, int64_t count, const std::vector<int32_t>& cluster,
                                   size_t clusters)
{
    std::vector<std::pair<int32_t, int32_t>> intervals; // cluster, interval
    for (int64_t i = 1; i < count; ++i)
        if (cluster[size_t(i)] >= 0)
            intervals.emplace_back(cluster[size_t(i)], b[i].Pos - b[i - 1].Pos);
    std::sort(intervals.begin(), intervals.end());
    std::vector<double> spread(clusters, 0.0);
    std::vector<int32_t> values;
    for (size_t a = 0; a < intervals.size();) {
        size_t e = a;
        values.clear();
        for (; e < intervals.size() && intervals[e].first == intervals[a].first; ++e)
            values.push_back(intervals[e].second);
        if (values.size() >= size_t(kTimedBeats)) {
            const size_t mid = values.size() / 2; // sorted already, with the cluster
            const double median = values[mid];
            for (int32_t& v : values)
                v = std::abs(v - int32_t(median));
            std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(mid), values.end());
            spread[size_t(intervals[a].first)] = median > 0 ? values[mid] / median : 0;
        }
        a = e;
    }
    return spread;
}

// A detection that splits one interval of the rhythm in two, close to one
// end: the P or T wave of a neighbouring beat (or noise), not a beat. A
// premature beat is followed by a pause, an interpolated one sits midway. Not
// in an irregular rhythm, where no interval is the rhythm's.
bool ExtraWave(const ORhythmPoint& r)
{
    const double whole = r.before + r.after;
    return !r.irregular && r.before > 0 && r.after > 0 && std::fabs(whole - 1) < kSplitTolerance &&
           std::min(r.before, r.after) < kSplitNear;
}

// The raw window of a beat, padded with its nearest sample where the
// recording does not reach.
void ReadWindow(const OSampleSource& samples, int64_t pos, int16_t* raw)
{
    const int64_t first = pos - kRawPre;
    const int64_t skip = std::max<int64_t>(0, -first);
    const int64_t got = skip < kRawWindow ? samples(first + skip, kRawWindow - skip, raw + skip) : 0;
    if (got <= 0) {
        std::fill(raw, raw + kRawWindow, int16_t(0));
        return;
    }
    std::fill(raw, raw + skip, raw[skip]);
    std::fill(raw + skip + got, raw + kRawWindow, raw[skip + got - 1]);
}

// Each beat's features, measured a block of beats ahead on a thread of its
// own while the caller adds the block before to the templates: the two take
// about as long, and measuring depends on nothing the templates learn. One
// thread at a time reads the samples, in increasing order as the source asks.
class OFeatureBlocks {
public:
    OFeatureBlocks(const OImpulse* impulses, int64_t count, const OSampleSource& samples, int64_t block)
        : m_Block(std::max<int64_t>(block, 1)), m_Impulses(impulses), m_Count(count), m_Samples(samples),
          m_Current(size_t(m_Block)), m_Next(size_t(m_Block)), m_Raw(kRawWindow)
    {
        Measure(0, m_Current);
    }
    ~OFeatureBlocks() { Join(); }
    OFeatureBlocks(const OFeatureBlocks&) = delete;
    OFeatureBlocks& operator=(const OFeatureBlocks&) = delete;

    int64_t BlockBeats() const { return m_Block; }
    // The features of beats [from, from + BlockBeats()), from a multiple of
    // it in increasing order; starts measuring the block after.
    const std::vector<OBeatFeatures>& Block(int64_t from)
    {
        if (from > 0) {
            if (m_Ahead.joinable())
                Join();
            else
                Measure(from, m_Next); // no thread could be had
            std::swap(m_Current, m_Next);
        }
        if (from + m_Block < m_Count) {
            try {
                m_Ahead = std::thread([this, from] { Measure(from + m_Block, m_Next); });
            } catch (const std::system_error&) {
                // Measured in turn when asked for.
            }
        }
        return m_Current;
    }

private:
    void Measure(int64_t from, std::vector<OBeatFeatures>& into)
    {
        const int64_t to = std::min(m_Count, from + m_Block);
        for (int64_t i = from; i < to; ++i) {
            ReadWindow(m_Samples, m_Impulses[i].Pos, m_Raw.data());
            MeasureBeat(m_Raw.data(), into[size_t(i - from)]);
        }
    }
    void Join()
    {
        if (m_Ahead.joinable())
            m_Ahead.join();
    }

    const int64_t m_Block;
    const OImpulse* m_Impulses;
    int64_t m_Count;
    const OSampleSource& m_Samples;
    std::vector<OBeatFeatures> m_Current, m_Next;
    std::vector<int16_t> m_Raw; // the measuring thread's own
    std::thread m_Ahead;
};

} // namespace

OBeatClassification ClassifyBeats(OImpulse* impulses, int64_t count, const OSampleSource& samples)
{
    return ClassifyBeats(impulses, count, samples, kFeatureBlockBeats);
}

OBeatClassification ClassifyBeats(OImpulse* impulses, int64_t count, const OSampleSource& samples,
                                  int64_t featureBlockBeats)
{
    OBeatClassification result;
    if (count <= 0)
        return result;

    // Features and clusters, beat by beat.
    OBeatTemplates templates;
    std::vector<int32_t> cluster(static_cast<size_t>(count));
    std::vector<float> width(static_cast<size_t>(count));
    std::vector<float> noise(static_cast<size_t>(count));
    std::vector<float> level(static_cast<size_t>(count));
    {
        OFeatureBlocks features(impulses, count, samples, featureBlockBeats);
        const int64_t blockBeats = features.BlockBeats();
        const std::vector<OBeatFeatures>* block = nullptr;
        for (int64_t i = 0; i < count; ++i) {
            if (i % blockBeats == 0)
                block = &features.Block(i);
            const OBeatFeatures& f = (*block)[size_t(i % blockBeats)];
            width[size_t(i)] = static_cast<float>(f.qrs.WidthMs());
            noise[size_t(i)] = f.noise;
            level[size_t(i)] = f.level;
            float correlation = 0;
            cluster[size_t(i)] = IsUnclassifiable(f) ? kNoisyBeat : templates.Add(f, i, correlation);
        }
    }

    // What each cluster looks like.
    const std::vector<OCluster>& clusters = templates.Clusters();
    result.clusters.resize(clusters.size());
    for (size_t c = 0; c < clusters.size(); ++c) {
        OBeatClusterInfo& info = result.clusters[c];
        const OQrsExtent qrs = FindQrs(clusters[c].mean.data());
        info.beats = clusters[c].count;
        info.widthMs = qrs.WidthMs();
        info.amplitude = QrsAmplitude(clusters[c].mean.data(), qrs);
        info.pWave = HasPWave(clusters[c].mean, qrs, info.amplitude);
    }

    // The reference: the largest cluster, unless it looks like an escape
    // rhythm of the ventricles (wide, no P wave, slower than kEscapeBpm);
    // then the largest cluster that looks supraventricular (narrow or with a
    // P wave) and holds at least kReferenceShare of the beats, and failing
    // that the ventricular one itself, said so.
    int largest = -1, supraLargest = -1;
    for (size_t c = 0; c < clusters.size(); ++c) {
        const OBeatClusterInfo& info = result.clusters[c];
        if (largest < 0 || info.beats > result.clusters[size_t(largest)].beats)
            largest = int(c);
        const bool supra = info.widthMs < kNarrowMs || info.pWave;
        if (supra && (supraLargest < 0 || info.beats > result.clusters[size_t(supraLargest)].beats))
            supraLargest = int(c);
    }
    result.reference = largest;
    if (largest >= 0) {
        const OBeatClusterInfo& info = result.clusters[size_t(largest)];
        const bool escape = info.widthMs >= kNarrowMs && !info.pWave &&
                            MedianInterval(impulses, count, cluster, largest) > 60.0 / kEscapeBpm * kSampleRate;
        if (escape) {
            if (supraLargest >= 0 && result.clusters[size_t(supraLargest)].beats >= kReferenceShare * double(count))
                result.reference = supraLargest;
            else
                result.ventricularRhythm = true;
        }
    }

    // Each cluster against it; 0 leaves the question to the rhythm.
    double referenceWidth = kNarrowMs;
    double referenceHeight = 0;
    if (result.reference >= 0) {
        const OBeatClusterInfo& ref = result.clusters[size_t(result.reference)];
        referenceWidth = ref.widthMs;
        referenceHeight = ref.amplitude;
        for (size_t c = 0; c < clusters.size(); ++c) {
            OBeatClusterInfo& info = result.clusters[c];
            info.correlation = ShapeCorrelation(clusters[size_t(result.reference)].mean, clusters[c].mean);
            if (result.ventricularRhythm) {
                const bool supra = info.widthMs < kNarrowMs || info.pWave;
                info.verdict = info.correlation >= kVentricularLike || !supra ? kBeatVentricular : kBeatNormal;
            } else if (info.widthMs >= ref.widthMs + kWiderMs) {
                info.verdict = kBeatVentricular;
            } else if (info.correlation >= kSameShape) {
                info.verdict = kBeatNormal;
            }
        }
    }
    auto shapeOf = [&](int64_t i) -> char {
        const int c = cluster[size_t(i)];
        if (c >= 0)
            return result.clusters[size_t(c)].verdict;
        if (c == kNoCluster)
            return width[size_t(i)] >= referenceWidth + kWiderMs ? kBeatVentricular : kBeatNormal;
        return kBeatUnknown;
    };

    // The rhythm of the beats shaped like the reference, first, to time the
    // clusters left open by.
    std::vector<uint8_t> supraShaped(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i)
        supraShaped[size_t(i)] = shapeOf(i) == kBeatNormal;
    std::vector<ORhythmPoint> rhythm;
    MeasureRhythm(impulses, count, supraShaped, rhythm);
    auto early = [&](int64_t i) { return rhythm[size_t(i)].before > 0 && rhythm[size_t(i)].before < kPremature; };

    // Timing of each cluster: of its beats in a regular rhythm, how many came
    // early; and how much its coupling intervals vary.
    std::vector<int64_t> earlyBeats(clusters.size(), 0), regularBeats(clusters.size(), 0);
    std::vector<int64_t> onTimeBeats(clusters.size(), 0);
    for (int64_t i = 0; i < count; ++i) {
        const int c = cluster[size_t(i)];
        const ORhythmPoint& r = rhythm[size_t(i)];
        if (c < 0 || r.irregular)
            continue;
        ++regularBeats[size_t(c)];
        earlyBeats[size_t(c)] += early(i);
        onTimeBeats[size_t(c)] += std::fabs(r.before - 1) <= kOnTimeTolerance && std::fabs(r.after - 1) <= kOnTimeTolerance;
    }
    const std::vector<double> spread = CouplingSpread(impulses, count, cluster, clusters.size());
    const double referenceSpread = result.reference >= 0 ? spread[size_t(result.reference)] : 0;

    // A wide QRS that keeps the sinus rhythm's time, neither early nor
    // followed by a pause, beat after beat, is conducted with a bundle
    // branch block, not ventricular.
    if (!result.ventricularRhythm)
        for (size_t c = 0; c < clusters.size(); ++c)
            if (result.clusters[c].verdict == kBeatVentricular && regularBeats[c] >= kOnTimeBeats &&
                onTimeBeats[c] >= kOnTimeShare * double(regularBeats[c]))
                result.clusters[c].verdict = kBeatNormal;

    // Left open: ventricular when its QRS is either unlike the reference or
    // somewhat wider or higher (a premature supraventricular beat keeps the
    // QRS), and its timing is ectopic: most of its beats in a regular rhythm
    // come early, or, where the rhythm is irregular (atrial fibrillation),
    // its beats keep a fixed coupling interval to the beat before, as a
    // ventricular focus does and conducted beats do not.
    for (size_t c = 0; c < clusters.size(); ++c) {
        OBeatClusterInfo& info = result.clusters[c];
        if (info.verdict != 0)
            continue;
        const int64_t irregularBeats = info.beats - regularBeats[c];
        const bool mostlyEarly = regularBeats[c] >= std::max<int64_t>(kTimedBeats, irregularBeats / 3) &&
                                 2 * earlyBeats[c] > regularBeats[c];
        const bool fixedCoupling = irregularBeats >= kTimedBeats && referenceSpread > 0 &&
                                   spread[c] < kFixedCoupling * referenceSpread;
        const double height = referenceHeight > 0 ? info.amplitude / referenceHeight : 1;
        const bool different = info.correlation < kOtherShape || info.widthMs >= referenceWidth + kSomeWiderMs ||
                               height > kOtherHeight || height < 1 / kOtherHeight;
        // Narrower than a narrow reference QRS: no ventricular beat is (one
        // may be, beside a bundle branch block's wide QRS).
        const bool narrower = referenceWidth < kNarrowMs && info.widthMs < referenceWidth - kSomeWiderMs;
        info.verdict = (mostlyEarly || fixedCoupling) && different && !narrower ? kBeatVentricular : kBeatNormal;
    }

    // Noise against this recording's own: its median beat.
    std::vector<float> sorted(noise);
    std::nth_element(sorted.begin(), sorted.begin() + count / 2, sorted.end());
    const double noisy = NoisyAbove(sorted[size_t(count / 2)]);
    sorted = {};

    // Each beat.
    const std::vector<uint8_t> flutter = FlutterWaves(impulses, count, level);
    std::vector<uint8_t> noisyVentricular(static_cast<size_t>(count), 0);
    for (int64_t i = 0; i < count; ++i) {
        // A shape shared by at most two other beats is Q at half the noise:
        // alone, a noisy odd shape is more likely noise than an ectopic beat.
        const int c = cluster[size_t(i)];
        const bool rareShape = c >= 0 && result.clusters[size_t(c)].beats <= kRareShapeBeats;
        const double noiseBar = rareShape ? kRareShapeNoise * noisy : noisy;
        if (flutter[size_t(i)] || ExtraWave(rhythm[size_t(i)])) {
            impulses[i].Class = kBeatUnknown;
            continue;
        }
        if (noise[size_t(i)] > noiseBar) {
            impulses[i].Class = kBeatUnknown;
            noisyVentricular[size_t(i)] = c >= 0 && result.clusters[size_t(c)].verdict == kBeatVentricular;
            continue;
        }
        const char shape = shapeOf(i);
        char cls = shape;
        if (shape == kBeatNormal && SupraventricularEctopic(impulses, rhythm, i, [&](int64_t k) {
                return k < count && shapeOf(k) == kBeatNormal;
            }))
            cls = kBeatSupra;
        impulses[i].Class = cls;
    }
    KeepVentricularRuns(impulses, count, noisyVentricular, flutter, [&](int64_t i, int64_t k) {
        const int a = cluster[size_t(i)], b = cluster[size_t(k)];
        return a >= 0 && b >= 0 ? ShapeCorrelation(clusters[size_t(a)].mean, clusters[size_t(b)].mean) : 0.0;
    });
    return result;
}
