#include "EcgRhythmPlanner.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kTwoPi = 6.28318530717958647692;
// A sinus impulse this soon after a ventricular beat (fraction of the sinus
// cycle) meets a conduction system still refractory from it and is blocked.
constexpr double kVentricularRefractory = 0.9;
// No isolated premature beat this close to an episode (seconds).
constexpr double kQuietSeconds = 6;
// Normal beats that must separate isolated premature beats.
constexpr int kIsolatedGap = 3;
constexpr double kDefaultRunBpm = 150;
constexpr double kDefaultAfBpm = 100;
constexpr double kAfSpread = 0.25; // sigma of log RR during AF

} // namespace

const char* EcgEventName(OEcgEventKind kind)
{
    switch (kind) {
    case OEcgEventKind::AF:
        return "AF";
    case OEcgEventKind::VT:
        return "VT";
    case OEcgEventKind::Couplet:
        return "COUPLET";
    case OEcgEventKind::Bigeminy:
        return "BIGEMINY";
    case OEcgEventKind::Trigeminy:
        return "TRIGEMINY";
    case OEcgEventKind::SVT:
        return "SVT";
    }
    return "";
}

OEcgRhythmPlanner::OEcgRhythmPlanner(double bpm, double variability, uint32_t seed, const OEcgRhythm& rhythm)
    : m_Rhythm(rhythm), m_Random(uint64_t(seed) ^ 0x5EED0F4EA27ull), m_MeanRr(60.0 / std::max(bpm, 10.0)),
      m_Variability(variability)
{
    std::stable_sort(m_Rhythm.episodes.begin(), m_Rhythm.episodes.end(),
                     [](const OEcgEpisode& a, const OEcgEpisode& b) { return a.startSeconds < b.startSeconds; });
    m_Rhythm.pvcCoupling = std::clamp(m_Rhythm.pvcCoupling, 0.3, 0.9);
    m_Rhythm.apcPrematurity = std::clamp(m_Rhythm.apcPrematurity, 0.05, 0.6);
    m_Phase1 = m_Random.Uniform() * kTwoPi;
    m_Phase2 = m_Random.Uniform() * kTwoPi;
    // The first R-peak late enough for its P-wave to be whole.
    m_SinusRr = SinusRr(0);
    m_NextSinus = 0.25 + m_Random.Uniform() * 0.5 * m_MeanRr;
    m_Last = m_NextSinus - m_SinusRr;
    m_Previous = m_Last;
    if (m_Rhythm.pvcPerMinute > 0)
        m_NextPvc = (0.5 + m_Random.Uniform()) * 60 / m_Rhythm.pvcPerMinute;
    if (m_Rhythm.apcPerMinute > 0)
        m_NextApc = (0.5 + m_Random.Uniform()) * 60 / m_Rhythm.apcPerMinute;
}

double OEcgRhythmPlanner::SinusRr(double t)
{
    // As the sinus model: respiratory and Mayer-wave modulation and jitter.
    const double modulation =
        0.5 * std::sin(kTwoPi * 0.1 * t + m_Phase1) + 0.5 * std::sin(kTwoPi * 0.25 * t + m_Phase2);
    return m_MeanRr * std::max(0.5, 1 + m_Variability * modulation + 0.01 * m_Random.Gaussian());
}

double OEcgRhythmPlanner::AfRr(double meanRr)
{
    // Log-normal with the given mean: every interval independent of the last.
    const double rr = meanRr * std::exp(kAfSpread * m_Random.Gaussian() - kAfSpread * kAfSpread / 2);
    return std::clamp(rr, 0.3, 2.0);
}

OEcgPlannedBeat OEcgRhythmPlanner::Next()
{
    while (m_Queue.empty())
        Plan();
    const OEcgPlannedBeat beat = m_Queue.front();
    m_Queue.pop_front();
    return beat;
}

std::vector<OEcgPlannedEvent> OEcgRhythmPlanner::TakeEvents()
{
    std::vector<OEcgPlannedEvent> events;
    events.swap(m_Events);
    return events;
}

bool OEcgRhythmPlanner::QuietFor(double t) const
{
    if (t - m_EpisodeEnd < kQuietSeconds)
        return true;
    return m_NextEpisode < m_Rhythm.episodes.size() &&
           m_Rhythm.episodes[m_NextEpisode].startSeconds - t < kQuietSeconds;
}

void OEcgRhythmPlanner::Plan()
{
    if (m_NextEpisode < m_Rhythm.episodes.size() && m_NormalsSince >= 2) {
        // AF takes the place of the first sinus beat due after its start;
        // the other episodes follow the first beat at or after theirs.
        const OEcgEpisode& next = m_Rhythm.episodes[m_NextEpisode];
        if ((next.pattern == OEcgPattern::Af ? m_NextSinus : m_Last) >= next.startSeconds) {
            ++m_NextEpisode;
            Episode(next);
            return;
        }
    }
    if (m_NormalsSince >= kIsolatedGap && !QuietFor(m_NextSinus)) {
        const double rr = m_NextSinus - m_Last;
        if (m_NextSinus >= m_NextPvc) {
            Ventricular(m_Last + m_Rhythm.pvcCoupling * rr);
            BlockAfterVentricular();
            m_NextPvc = m_Last + (0.5 + m_Random.Uniform()) * 60 / m_Rhythm.pvcPerMinute;
            return;
        }
        if (m_NextSinus >= m_NextApc) {
            Atrial(m_Last + (1 - m_Rhythm.apcPrematurity) * rr);
            m_NextApc = m_Last + (0.5 + m_Random.Uniform()) * 60 / m_Rhythm.apcPerMinute;
            return;
        }
    }
    Sinus();
}

void OEcgRhythmPlanner::Emit(double seconds, char beatClass, char form)
{
    OEcgPlannedBeat beat;
    beat.seconds = seconds;
    beat.beatClass = beatClass;
    beat.form = form;
    beat.sinusRr = m_SinusRr;
    beat.rrBefore = seconds - m_Last;
    m_Queue.push_back(beat);
    if (m_InEpisode)
        m_Episode.push_back(beat);
    m_Previous = m_Last;
    m_Last = seconds;
    m_NormalsSince = beatClass == 'N' ? m_NormalsSince + 1 : 0;
}

void OEcgRhythmPlanner::Sinus()
{
    Emit(m_NextSinus, 'N', 'N');
    m_SinusRr = SinusRr(m_NextSinus);
    m_NextSinus += m_SinusRr;
}

void OEcgRhythmPlanner::Ventricular(double seconds)
{
    Emit(seconds, 'V', 'V');
}

void OEcgRhythmPlanner::BlockAfterVentricular()
{
    while (m_NextSinus < m_Last + kVentricularRefractory * m_SinusRr) {
        m_SinusRr = SinusRr(m_NextSinus);
        m_NextSinus += m_SinusRr;
    }
}

void OEcgRhythmPlanner::Atrial(double seconds)
{
    // The atrial impulse resets the sinus node, which starts a new cycle.
    Emit(seconds, 'S', 'S');
    m_SinusRr = SinusRr(seconds);
    m_NextSinus = seconds + m_SinusRr;
}

void OEcgRhythmPlanner::AddEvent(OEcgEventKind kind)
{
    if (m_Episode.size() < 2)
        return;
    OEcgPlannedEvent event;
    event.kind = kind;
    event.startSeconds = m_Episode.front().seconds;
    event.endSeconds = m_Episode.back().seconds;
    event.beats = int(m_Episode.size());
    m_Events.push_back(event);
}

void OEcgRhythmPlanner::Episode(const OEcgEpisode& episode)
{
    m_Episode.clear();
    m_InEpisode = true;
    const double rr = m_NextSinus - m_Last;
    switch (episode.pattern) {
    case OEcgPattern::Pvc:
        Ventricular(m_Last + m_Rhythm.pvcCoupling * rr);
        BlockAfterVentricular();
        break;
    case OEcgPattern::Apc:
        Atrial(m_Last + (1 - m_Rhythm.apcPrematurity) * rr);
        break;
    case OEcgPattern::Couplet:
        Ventricular(m_Last + m_Rhythm.pvcCoupling * rr);
        Ventricular(m_Last + m_Rhythm.pvcCoupling * rr);
        BlockAfterVentricular();
        AddEvent(OEcgEventKind::Couplet);
        break;
    case OEcgPattern::VtRun:
        Run(episode, true);
        break;
    case OEcgPattern::SvtRun:
        Run(episode, false);
        break;
    case OEcgPattern::Bigeminy:
        Geminy(episode, 1);
        break;
    case OEcgPattern::Trigeminy:
        Geminy(episode, 2);
        break;
    case OEcgPattern::Af:
        Fibrillation(episode);
        break;
    }
    m_InEpisode = false;
    m_EpisodeEnd = m_Last;
    m_NormalsSince = 0;
}

void OEcgRhythmPlanner::Run(const OEcgEpisode& episode, bool ventricular)
{
    const int beats = episode.beats > 0 ? std::max(3, episode.beats) : 5;
    const double runRr = 60.0 / (episode.bpm > 0 ? episode.bpm : kDefaultRunBpm);
    const double rr = m_NextSinus - m_Last;
    const double coupling = ventricular ? m_Rhythm.pvcCoupling * rr : (1 - m_Rhythm.apcPrematurity) * rr;
    double t = m_Last + std::min(coupling, runRr);
    for (int i = 0; i < beats; ++i) {
        if (ventricular)
            Ventricular(t);
        else
            Emit(t, 'S', 'S');
        t += runRr * (1 + 0.015 * m_Random.Gaussian());
    }
    if (ventricular) {
        BlockAfterVentricular();
    } else {
        m_SinusRr = SinusRr(m_Last);
        m_NextSinus = m_Last + m_SinusRr;
    }
    const double bpm = 60.0 * (beats - 1) / (m_Episode.back().seconds - m_Episode.front().seconds);
    if (bpm >= 100)
        AddEvent(ventricular ? OEcgEventKind::VT : OEcgEventKind::SVT);
}

void OEcgRhythmPlanner::Geminy(const OEcgEpisode& episode, int normals)
{
    // The normal beats before the first V belong to the pattern.
    for (int i = normals - 1; i >= 0; --i) {
        OEcgPlannedBeat before;
        before.seconds = i == 0 ? m_Last : m_Previous;
        m_Episode.push_back(before);
    }
    const int cycles = episode.beats > 0 ? episode.beats : 4;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        if (cycle > 0)
            for (int i = 0; i < normals; ++i)
                Sinus();
        Ventricular(m_Last + m_Rhythm.pvcCoupling * (m_NextSinus - m_Last));
        BlockAfterVentricular();
    }
    AddEvent(normals == 1 ? OEcgEventKind::Bigeminy : OEcgEventKind::Trigeminy);
}

void OEcgRhythmPlanner::Fibrillation(const OEcgEpisode& episode)
{
    const double meanRr = 60.0 / (episode.bpm > 0 ? episode.bpm : kDefaultAfBpm);
    const double end = episode.startSeconds + episode.seconds;
    double t = std::max(m_Last + AfRr(meanRr), episode.startSeconds + 0.1);
    while (t < end) {
        Emit(t, 'N', 'A');
        t += AfRr(meanRr);
    }
    AddEvent(OEcgEventKind::AF);
    // The sinus node takes over again once the atria are still.
    m_SinusRr = SinusRr(end);
    m_NextSinus = std::max(end + 0.2, m_Last + m_SinusRr);
}
