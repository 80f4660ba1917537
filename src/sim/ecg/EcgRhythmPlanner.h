#pragma once
// Plans the rhythm heart's beats, one after another, from the sinus rate and
// an OEcgRhythm (the timing rules are in EcgRhythm.h): when each R-peak
// comes, its class and the form of its waves, and the episodes as made.
// Times are in seconds from the start of the signal.
#include "EcgRandom.h"
#include "EcgRhythm.h"

#include <deque>
#include <vector>

struct OEcgPlannedBeat {
    double seconds = 0; // the R-peak
    char beatClass = 'N';
    char form = 'N';     // as MakeEcgBeatShape takes it
    double sinusRr = 1;  // the sinus cycle at the beat
    double rrBefore = 1; // interval from the beat before
};

struct OEcgPlannedEvent {
    OEcgEventKind kind = OEcgEventKind::AF;
    double startSeconds = 0;
    double endSeconds = 0;
    int beats = 0;
};

class OEcgRhythmPlanner {
public:
    OEcgRhythmPlanner(double bpm, double variability, uint32_t seed, const OEcgRhythm& rhythm);

    // The next beat, in time order.
    OEcgPlannedBeat Next();
    // Events whose beats have all been planned (each given once).
    std::vector<OEcgPlannedEvent> TakeEvents();

private:
    double SinusRr(double t);
    double AfRr(double meanRr);
    void Plan();
    void Sinus();
    void Emit(double seconds, char beatClass, char form);
    void BlockAfterVentricular();
    void Ventricular(double seconds);
    void Atrial(double seconds);
    void Episode(const OEcgEpisode& episode);
    void Run(const OEcgEpisode& episode, bool ventricular);
    void Geminy(const OEcgEpisode& episode, int normals);
    void Fibrillation(const OEcgEpisode& episode);
    bool QuietFor(double t) const;
    void AddEvent(OEcgEventKind kind);

    OEcgRhythm m_Rhythm;
    OEcgRandom m_Random;
    double m_MeanRr;
    double m_Variability;
    double m_Phase1, m_Phase2;
    std::deque<OEcgPlannedBeat> m_Queue;
    std::vector<OEcgPlannedBeat> m_Episode; // the beats of the episode being planned
    bool m_InEpisode = false;
    std::vector<OEcgPlannedEvent> m_Events;
    double m_Last = 0;      // R-peak of the last beat planned
    double m_NextSinus = 0; // when the sinus node fires next
    double m_SinusRr = 1;   // the sinus cycle now
    double m_Previous = 0;  // R-peak of the beat before the last
    int m_NormalsSince = 3; // normal beats since the last premature one
    size_t m_NextEpisode = 0;
    double m_EpisodeEnd = -1e9;
    double m_NextPvc = 1e300, m_NextApc = 1e300;
};
