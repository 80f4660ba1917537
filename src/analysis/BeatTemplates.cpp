#include "BeatTemplates.h"

#include <algorithm>
#include <cmath>

namespace beat {

namespace {

constexpr int kShift = 2;
constexpr double kAmplitudeRatio = 1.6;

// x[0 .. kQrsLength) as zero mean, unit norm; false when flat.
bool NormaliseInto(const float* x, float* out)
{
    double mean = 0;
    for (int i = 0; i < kQrsLength; ++i)
        mean += x[i];
    mean /= kQrsLength;
    double norm = 0;
    for (int i = 0; i < kQrsLength; ++i) {
        out[i] = static_cast<float>(x[i] - mean);
        norm += double(out[i]) * out[i];
    }
    if (norm <= 0)
        return false;
    const float scale = static_cast<float>(1 / std::sqrt(norm));
    for (int i = 0; i < kQrsLength; ++i)
        out[i] *= scale;
    return true;
}

// NormaliseInto of x + s for every shift s in [0, kShifts), in one go: each
// shift's sums run in the same order as there, so the results are the same
// to the bit, while the shifts' independent sums overlap in the processor
// instead of each waiting for its own previous addition.
template <int kShifts> void NormaliseShifts(const float* x, float (*out)[kQrsLength], bool* usable)
{
    double mean[kShifts] = {};
    for (int i = 0; i < kQrsLength; ++i)
        for (int s = 0; s < kShifts; ++s)
            mean[s] += x[s + i];
    for (int s = 0; s < kShifts; ++s)
        mean[s] /= kQrsLength;
    double norm[kShifts] = {};
    for (int i = 0; i < kQrsLength; ++i)
        for (int s = 0; s < kShifts; ++s) {
            out[s][i] = static_cast<float>(x[s + i] - mean[s]);
            norm[s] += double(out[s][i]) * out[s][i];
        }
    for (int s = 0; s < kShifts; ++s) {
        usable[s] = norm[s] > 0;
        if (!usable[s])
            continue;
        const float scale = static_cast<float>(1 / std::sqrt(norm[s]));
        for (int i = 0; i < kQrsLength; ++i)
            out[s][i] *= scale;
    }
}

float Dot(const float* a, const float* b)
{
    float s = 0;
    for (int i = 0; i < kQrsLength; ++i)
        s += a[i] * b[i];
    return s;
}

} // namespace

double ShapeCorrelation(const OWave& a, const OWave& b, int shift)
{
    float na[kQrsLength], nb[kQrsLength];
    if (!NormaliseInto(a.data() + kQrsFrom, na))
        return 0;
    double best = -1;
    for (int s = -shift; s <= shift; ++s)
        if (NormaliseInto(b.data() + kQrsFrom + s, nb))
            best = std::max<double>(best, Dot(na, nb));
    return best;
}

void OBeatTemplates::Normalise(int cluster)
{
    const OWave& mean = m_Clusters[size_t(cluster)].mean;
    ONormalised& shape = m_Shapes[size_t(cluster)];
    if (!NormaliseInto(mean.data() + kQrsFrom, shape.x))
        std::fill(std::begin(shape.x), std::end(shape.x), 0.0f);
    shape.amplitude = static_cast<float>(QrsAmplitude(mean.data(), FindQrs(mean.data())));
}

int OBeatTemplates::Add(const OBeatFeatures& beat, int64_t beatIndex, float& correlation)
{
    // The beat's QRS at each shift, normalised once.
    float shifted[2 * kShift + 1][kQrsLength];
    bool usable[2 * kShift + 1];
    NormaliseShifts<2 * kShift + 1>(beat.wave.data() + kQrsFrom - kShift, shifted, usable);

    int best = -1;
    float bestCorrelation = -1;
    auto compare = [&](int c) {
        const double amplitude = m_Shapes[size_t(c)].amplitude;
        if (amplitude > 0 && beat.amplitude > 0) {
            const double ratio = beat.amplitude / amplitude;
            if (ratio > kAmplitudeRatio || ratio < 1 / kAmplitudeRatio)
                return;
        }
        for (int s = 0; s <= 2 * kShift; ++s) {
            if (!usable[s])
                continue;
            const float r = Dot(shifted[s], m_Shapes[size_t(c)].x);
            if (r > bestCorrelation) {
                bestCorrelation = r;
                best = c;
            }
        }
    };
    // The template the last beat joined usually fits again.
    if (m_LastMatched >= 0)
        compare(m_LastMatched);
    if (bestCorrelation < 0.97f)
        for (const int c : m_Active)
            if (c != m_LastMatched)
                compare(c);

    if (best >= 0 && bestCorrelation >= kMatch) {
        OCluster& cl = m_Clusters[size_t(best)];
        ++cl.count;
        cl.lastBeat = beatIndex;
        const float w = 1.0f / static_cast<float>(std::min<int64_t>(cl.count, 8));
        for (int k = 0; k < kWindow; ++k)
            cl.mean[size_t(k)] += w * (beat.wave[size_t(k)] - cl.mean[size_t(k)]);
        Normalise(best);
        m_LastMatched = best;
        correlation = bestCorrelation;
        return best;
    }

    correlation = 1;
    if (m_Clusters.size() >= size_t(kMaxClusters)) {
        correlation = std::max(bestCorrelation, 0.0f);
        return -1;
    }
    const int created = static_cast<int>(m_Clusters.size());
    OCluster cl;
    cl.mean = beat.wave;
    cl.count = 1;
    cl.lastBeat = beatIndex;
    m_Clusters.push_back(cl);
    m_Shapes.emplace_back();
    Normalise(created);
    if (m_Active.size() >= size_t(kActive)) {
        // Retire the template unused longest.
        auto oldest = std::min_element(m_Active.begin(), m_Active.end(), [&](int a, int b) {
            return m_Clusters[size_t(a)].lastBeat < m_Clusters[size_t(b)].lastBeat;
        });
        *oldest = created;
    } else {
        m_Active.push_back(created);
    }
    m_LastMatched = created;
    return created;
}

} // namespace beat
