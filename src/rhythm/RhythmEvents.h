#pragma once
// Rhythm events of a processed recording, found from its beats (positions
// and classes): atrial fibrillation, ventricular and supraventricular runs,
// couplets, bigeminy and trigeminy, pauses, brady- and tachycardia. One list
// in time order, window-free; the command line, the report, the EDF+ export
// and the analysis window's event list all read it.
//
// Each kind is found by its own part: AF from the RR intervals
// (AfDetector.h), runs and patterns of ectopic beats from the classes
// (EctopicRuns.h), pauses and the brady- and tachycardia of whole minutes by
// the Holter report's rules (RateRules.h). Decisions made here:
// - SVT runs inside an AF episode, across its edges or within 10 s of them
//   (the gap AF bridges) are dropped: the fast beats a classifier calls S
//   there are the fibrillation itself, and an episode's edges are known only
//   to within half the AF detector's window.
// - Events of different kinds may overlap (a VT run inside AF, a pause inside
//   bradycardia); each kind is listed whole.
// - analysedSeconds is the span from the first beat to the last; the AF burden
//   is the AF episodes' time over it.
// Cost: a few passes over the beats; 24 hours (about 100000 beats) in
// 0.07 s of one core, 0.08 s for a day full of events (bench_rhythm).
#include "AfDetector.h"
#include "OImpulse.h"

#include <cstdint>
#include <string>
#include <vector>

enum class ORhythmKind : uint8_t { AF, VT, Couplet, Bigeminy, Trigeminy, SVT, Pause, Brady, Tachy };
inline constexpr int kRhythmKindCount = 9;

// "AF", "VT", "COUPLET", "BIGEMINY", "TRIGEMINY", "SVT", "PAUSE", "BRADY",
// "TACHY": the KIND of the event list and of the EDF+ annotations.
const char* RhythmKindName(ORhythmKind kind);
// The kind's Russian name, as the report and the event list show it:
// "Фибрилляция предсердий", "Пауза", ...
const char* RhythmKindTitle(ORhythmKind kind);

struct ORhythmEvent {
    ORhythmKind kind;
    int64_t startSample; // sample index of the file (976.5625 Hz), first beat or start
    int64_t endSample;   // last beat or end; endSample >= startSample
    int32_t beats;       // beats inside [startSample, endSample]
    double meanBpm;      // mean rate over the event's intervals, 0 when it has none
};

struct ORhythmSummary {
    std::vector<ORhythmEvent> events; // sorted by startSample, then kind
    double analysedSeconds = 0;       // the span the beats cover
    double afSeconds = 0;             // total AF time
    double AfBurdenPct() const { return analysedSeconds > 0 ? 100.0 * afSeconds / analysedSeconds : 0.0; }
};

// Finds every event among count impulses (positions in samples, classes set
// by the beat classifier; unclassified beats count as normal). totalSamples
// is the recording's length in samples.
ORhythmSummary FindRhythmEvents(const OImpulse* impulses, int64_t count, int64_t totalSamples);

// The same with the AF detector's settings given (the benchmark tries them).
struct ORhythmOptions {
    OAfOptions af;
};
ORhythmSummary FindRhythmEvents(const OImpulse* impulses, int64_t count, int64_t totalSamples,
                                const ORhythmOptions& options);
