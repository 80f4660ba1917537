#pragma once
// Hand-built beat series for the rhythm tests: beats appended one interval
// after another, with their classes, in samples of the file (976.5625 Hz).
#include "EcgTime.h"
#include "OImpulse.h"
#include "RhythmEvents.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

class BeatSeries {
public:
    // One beat `samples` after the last (the first one at 1 s).
    BeatSeries& Samples(int32_t samples, char cls = kBeatNormal)
    {
        m_Pos = m_Beats.empty() ? static_cast<int32_t>(kSampleRate) : m_Pos + samples;
        OImpulse p{};
        p.Pos = m_Pos;
        p.Class = cls;
        m_Beats.push_back(p);
        return *this;
    }
    BeatSeries& Ms(double ms, char cls = kBeatNormal)
    {
        return Samples(static_cast<int32_t>(std::lround(ms * kSampleRate / 1000)), cls);
    }
    // Beats at a steady rate for a while.
    BeatSeries& Steady(double bpm, double seconds, char cls = kBeatNormal)
    {
        for (double t = 0; t < seconds; t += 60 / bpm)
            Ms(60000 / bpm, cls);
        return *this;
    }
    // A pattern of classes, each beat `ms` after the last ("NVNV").
    BeatSeries& Pattern(const std::string& classes, double ms)
    {
        for (const char c : classes)
            Ms(ms, c);
        return *this;
    }
    // Atrial fibrillation: RR intervals spread evenly over 450..1050 ms, a
    // fixed pseudo-random sequence, for a while.
    BeatSeries& Fibrillation(double seconds, char cls = kBeatNormal)
    {
        for (double t = 0; t < seconds;) {
            m_Random = m_Random * 1103515245u + 12345u;
            const double ms = 450 + 600 * ((m_Random >> 8) & 0xFFFF) / 65535.0;
            Ms(ms, cls);
            t += ms / 1000;
        }
        return *this;
    }
    double Seconds() const { return m_Pos / kSampleRate; }
    int64_t TotalSamples() const { return m_Pos + static_cast<int64_t>(kSampleRate); }

    ORhythmSummary Events() const { return FindRhythmEvents(m_Beats.data(), Count(), TotalSamples()); }
    const std::vector<OImpulse>& Beats() const { return m_Beats; }
    int64_t Count() const { return static_cast<int64_t>(m_Beats.size()); }

private:
    std::vector<OImpulse> m_Beats;
    int32_t m_Pos = 0;
    uint32_t m_Random = 12345;
};

inline std::vector<ORhythmEvent> OfKind(const ORhythmSummary& s, ORhythmKind kind)
{
    std::vector<ORhythmEvent> events;
    for (const ORhythmEvent& e : s.events)
        if (e.kind == kind)
            events.push_back(e);
    return events;
}
