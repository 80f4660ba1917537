#include "EcgModel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// P, Q, R, S, T at 60 bpm: angles and widths b of the McSharry parameters;
// heights relative to R as in a typical lead II (the model's own a·b² gives
// a T-wave of 0.4 R, taller than most recordings show).
constexpr double kAngle[5] = {-kPi / 3, -kPi / 12, 0, kPi / 12, kPi / 2};
constexpr double kHeight[5] = {0.1, -0.12, 1, -0.2, 0.22};
constexpr double kWidth[5] = {0.25, 0.1, 0.1, 0.1, 0.4};

uint64_t SplitMix(uint64_t& state)
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace

OEcgModel::OEcgModel(const OEcgModelOptions& options) : m_Options(options)
{
    uint64_t state = options.seed;
    m_Rng[0] = SplitMix(state);
    m_Rng[1] = SplitMix(state);
    m_Phase1 = Uniform() * 2 * kPi;
    m_Phase2 = Uniform() * 2 * kPi;
    m_HumPhase = Uniform() * 2 * kPi;
    StartBeat();
    // Start somewhere in the diastole so the first beat is whole.
    m_Theta = -kPi + Uniform() * 0.5;
}

double OEcgModel::Uniform()
{
    // xorshift128+
    uint64_t s1 = m_Rng[0];
    const uint64_t s0 = m_Rng[1];
    m_Rng[0] = s0;
    s1 ^= s1 << 23;
    m_Rng[1] = s1 ^ s0 ^ (s1 >> 17) ^ (s0 >> 26);
    return static_cast<double>((m_Rng[1] + s0) >> 11) * (1.0 / 9007199254740992.0);
}

double OEcgModel::Gaussian()
{
    if (m_HasSpare) {
        m_HasSpare = false;
        return m_Spare;
    }
    const double u = 1.0 - Uniform(), v = Uniform();
    const double r = std::sqrt(-2 * std::log(u));
    m_Spare = r * std::sin(2 * kPi * v);
    m_HasSpare = true;
    return r * std::cos(2 * kPi * v);
}

void OEcgModel::StartBeat()
{
    const double t = m_Index / kSampleRate;
    const double meanRr = 60.0 / m_Options.bpm;
    const double modulation =
        0.5 * std::sin(2 * kPi * 0.1 * t + m_Phase1) + 0.5 * std::sin(2 * kPi * 0.25 * t + m_Phase2);
    const double rr = meanRr * std::max(0.5, 1 + m_Options.variability * modulation + 0.01 * Gaussian());
    m_Omega = 2 * kPi / (rr * kSampleRate);
    // Faster beats have relatively wider waves in angle and a T-wave that
    // comes earlier in time but later in the cycle.
    m_RateFactor = std::sqrt(1.0 / rr); // sqrt(rate / 60 bpm)
    const double rootFactor = std::sqrt(m_RateFactor);
    const double angleScale[5] = {rootFactor, m_RateFactor, 1, m_RateFactor, rootFactor};
    for (int i = 0; i < 5; ++i) {
        m_Angles[i] = kAngle[i] * angleScale[i];
        m_Widths[i] = kWidth[i] * m_RateFactor;
    }
}

bool OEcgModel::InNoise(int64_t index) const
{
    const double t = index / kSampleRate;
    for (const OEcgNoiseStretch& s : m_Options.electrodeNoise)
        if (t >= s.startSeconds && t < s.startSeconds + s.seconds)
            return true;
    return false;
}

double OEcgModel::Artifact(double t)
{
    // A loose electrode: slow lurches, broadband rubbing noise and sharp
    // spikes as the contact breaks and makes again.
    m_ArtifactLevel += 0.02 * (Gaussian() * 2500 - m_ArtifactLevel);
    if (Uniform() < 0.004)
        m_Spike = (Uniform() < 0.5 ? -1 : 1) * (1500 + Uniform() * 2500);
    m_Spike *= 0.9;
    return m_ArtifactLevel + m_Spike + Gaussian() * 250 + 400 * std::sin(2 * kPi * 1.3 * t);
}

uint16_t OEcgModel::Next()
{
    const double t = m_Index / kSampleRate;
    const double before = m_Theta;
    m_Theta += m_Omega;
    if (before < 0 && m_Theta >= 0)
        m_RPeaks.push_back(-before < m_Theta ? m_Index - 1 : m_Index);
    if (m_Theta >= kPi) {
        m_Theta -= 2 * kPi;
        StartBeat();
    }

    double ecg = 0;
    for (int i = 0; i < 5; ++i) {
        const double d = m_Theta - m_Angles[i];
        const double w = m_Widths[i];
        if (std::fabs(d) < 6 * w)
            ecg += kHeight[i] * std::exp(-d * d / (2 * w * w));
    }
    double v = m_Options.baseline + ecg * (m_Options.rAmplitude / kHeight[2]);
    v += m_Options.wander *
         (0.6 * std::sin(2 * kPi * 0.3 * t + m_Phase2) + 0.4 * std::sin(2 * kPi * 0.04 * t + m_Phase1));
    v += 3 * std::sin(2 * kPi * 50 * t + m_HumPhase);
    v += m_Options.noise * Gaussian();
    if (!m_Options.electrodeNoise.empty() && InNoise(m_Index))
        v += Artifact(t);
    ++m_Index;
    return static_cast<uint16_t>(std::clamp(std::lround(v), 0L, 10230L));
}

void OEcgModel::Generate(uint16_t* out, int64_t count)
{
    for (int64_t i = 0; i < count; ++i)
        out[i] = Next();
}
