#pragma once
// The rhythm the ECG model's heart beats to, and the truth of what it made.
//
// Without anything set the heart is in sinus rhythm. Isolated premature
// beats come at chosen rates per minute, scattered at random (a seeded
// random, so the same options give the same beats) with at least three
// normal beats between them, so that they never form pairs or patterns by
// chance. Episodes are scheduled: each begins after the first beat at or
// after its start time (AF at its start time, in place of the sinus beat due
// next), and no isolated premature beat comes within 6 s of one.
//
// How each beat is timed (RR = the sinus cycle at that moment):
//   PVC  at coupling x RR after the beat before it; the sinus impulse that
//        arrives within 0.9 RR after a ventricular beat is blocked, so the
//        sinus rhythm goes on undisturbed: a full compensatory pause (the
//        PVC's two intervals add up to 2 RR).
//   APC  (1 - prematurity) x RR after the beat before it; it resets the sinus
//        node, which fires again one RR later: the pause is not compensatory
//        (the two intervals add up to (2 - prematurity) RR).
//   runs of V (VT) or S (SVT) beats at the run's rate, the first no later
//        than the coupling above; after a V run as after a PVC, after an S
//        run as after an APC.
//   AF   the sinus node is silent; RR intervals are drawn independently from
//        a log-normal distribution (coefficient of variation about 0.25)
//        around the AF rate; the first sinus beat comes after the end.
//
//   OEcgRhythm rhythm;
//   rhythm.pvcPerMinute = 2;
//   rhythm.episodes.push_back({OEcgPattern::VtRun, 60, 5, 160}); // 5 V at 160 bpm at 1 min
//   rhythm.episodes.push_back({OEcgPattern::Af, 120, 0, 100, 90}); // 90 s of AF at 100 bpm
#include <cstdint>
#include <vector>

enum class OEcgPattern : uint8_t {
    Pvc,       // one premature ventricular beat
    Apc,       // one premature atrial beat
    Couplet,   // two ventricular beats in a row, at the PVC coupling
    VtRun,     // `beats` ventricular beats (3 or more) at `bpm`
    SvtRun,    // `beats` atrial beats (3 or more) at `bpm`
    Bigeminy,  // `beats` cycles of N-V
    Trigeminy, // `beats` cycles of N-N-V
    Af,        // atrial fibrillation for `seconds`, ventricular rate about `bpm`
};

struct OEcgEpisode {
    OEcgPattern pattern = OEcgPattern::Pvc;
    double startSeconds = 0; // from the start of the signal
    int beats = 0;           // run length or cycles (0: 5 beats, 4 cycles)
    double bpm = 0;          // run or AF rate (0: 150 bpm for runs, 100 bpm for AF)
    double seconds = 0;      // AF's length
};

struct OEcgRhythm {
    double pvcPerMinute = 0;     // isolated PVCs
    double apcPerMinute = 0;     // isolated APCs
    double pvcCoupling = 0.6;    // a PVC's interval from the beat before, fraction of RR (0.3-0.9)
    double apcPrematurity = 0.3; // how much earlier than due an APC comes, fraction of RR (0.05-0.6)
    std::vector<OEcgEpisode> episodes;

    bool Active() const { return pvcPerMinute > 0 || apcPerMinute > 0 || !episodes.empty(); }
};

// Episodes as the rhythm events name them ("AF", "VT", "COUPLET",
// "BIGEMINY", "TRIGEMINY", "SVT"). A run is a VT or SVT event only with 3
// beats or more at 100 bpm or faster; isolated premature beats are no event.
enum class OEcgEventKind : uint8_t { AF, VT, Couplet, Bigeminy, Trigeminy, SVT };
const char* EcgEventName(OEcgEventKind kind);

// An episode as made: from the R-peak of its first beat to that of its last
// (bigeminy and trigeminy from the normal beats of the first cycle), the
// beats in it and their mean rate (over the intervals inside the episode).
struct OEcgEvent {
    OEcgEventKind kind = OEcgEventKind::AF;
    int64_t startSample = 0;
    int64_t endSample = 0;
    int beats = 0;
    double meanBpm = 0;
};

// Everything a recording's heart did: R-peak sample indices, ascending, the
// class of each ('N', 'S' or 'V'; beats during AF are 'N'), and the events.
struct OEcgTruth {
    std::vector<int64_t> rPeaks;
    std::vector<char> classes;
    std::vector<OEcgEvent> events;
};
