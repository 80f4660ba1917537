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

} // namespace

OEcgModel::OEcgModel(const OEcgModelOptions& options)
    : m_Options(options), m_Random(options.seed), m_HasRhythm(options.rhythm.Active()),
      m_Planner(options.bpm, options.variability, options.seed, options.rhythm)
{
    m_Phase1 = Uniform() * 2 * kPi;
    m_Phase2 = Uniform() * 2 * kPi;
    m_HumPhase = Uniform() * 2 * kPi;
    StartBeat();
    // Start somewhere in the diastole so the first beat is whole.
    m_Theta = -kPi + Uniform() * 0.5;
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

void OEcgModel::ClearRPeaks()
{
    m_RPeaks.clear();
    m_Classes.clear();
    m_Events.clear();
}

double OEcgModel::SinusHeart()
{
    const double before = m_Theta;
    m_Theta += m_Omega;
    if (before < 0 && m_Theta >= 0) {
        m_RPeaks.push_back(-before < m_Theta ? m_Index - 1 : m_Index);
        m_Classes.push_back('N');
    }
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
    return ecg;
}

double OEcgModel::RhythmHeart(double t)
{
    // Beats from 1 s ahead (the P-wave's lead) to 1.5 s back (the T-wave of
    // a slow beat) can reach this sample.
    while (m_Beats.empty() || m_Beats.back().seconds < t + 1.0) {
        const OEcgPlannedBeat b = m_Planner.Next();
        m_Beats.push_back({b.seconds, std::llround(b.seconds * kSampleRate), b.beatClass, false,
                           MakeEcgBeatShape(b.form, b.sinusRr, b.rrBefore)});
        for (const OEcgPlannedEvent& e : m_Planner.TakeEvents()) {
            const int64_t start = std::llround(e.startSeconds * kSampleRate);
            const int64_t end = std::llround(e.endSeconds * kSampleRate);
            const double bpm = end > start ? 60.0 * (e.beats - 1) * kSampleRate / double(end - start) : 0;
            m_Pending.push_back({e.kind, start, end, e.beats, bpm});
        }
    }
    while (m_Beats.front().seconds < t - 1.5)
        m_Beats.pop_front();

    double ecg = 0;
    for (OBeat& beat : m_Beats) {
        if (!beat.counted && beat.sample <= m_Index) {
            beat.counted = true;
            m_RPeaks.push_back(beat.sample);
            m_Classes.push_back(beat.beatClass);
        }
        for (int i = 0; i < beat.shape.count; ++i) {
            const OEcgWave& w = beat.shape.waves[i];
            const double d = t - beat.seconds - w.offset;
            if (std::fabs(d) < 6 * w.width)
                ecg += w.height * std::exp(-d * d / (2 * w.width * w.width));
        }
    }
    while (!m_Pending.empty() && m_Pending.front().endSample <= m_Index) {
        m_Events.push_back(m_Pending.front());
        m_Pending.erase(m_Pending.begin());
    }
    return ecg + FibrillatoryWaves(t);
}

double OEcgModel::FibrillatoryWaves(double t) const
{
    // Two waves wandering in frequency (4.1-6.5 Hz and 6.1-8.1 Hz) with a
    // slowly changing amplitude, faded in and out over a quarter second.
    double sum = 0;
    for (const OEcgEpisode& e : m_Options.rhythm.episodes) {
        if (e.pattern != OEcgPattern::Af || t < e.startSeconds || t > e.startSeconds + e.seconds)
            continue;
        const double fade = std::min(1.0, std::min(t - e.startSeconds, e.startSeconds + e.seconds - t) / 0.25);
        const double phase = 0.37 * (m_Options.seed % 17);
        const double amplitude = 0.05 * (1 + 0.3 * std::sin(2 * kPi * 0.17 * t + phase));
        const double first = 2 * kPi * 5.3 * t - 1.2 / 0.11 * std::cos(2 * kPi * 0.11 * t) + phase;
        const double second = 2 * kPi * 7.1 * t - 1.0 / 0.07 * std::cos(2 * kPi * 0.07 * t + phase);
        sum += fade * amplitude * (std::sin(first) + 0.6 * std::sin(second));
    }
    return sum;
}

uint16_t OEcgModel::Next()
{
    const double t = m_Index / kSampleRate;
    const double ecg = m_HasRhythm ? RhythmHeart(t) : SinusHeart();
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
