#pragma once
// The Holter report's ectopy and rhythm events, window-free:
//
// - Ectopic activity: beats per class (N, S, V, F, Q; OImpulse.h) in total
//   and per hour (an hour holds the beats that fall into it); the ventricular
//   and supraventricular burden is V or S beats in % of all beats.
// - Rhythm events (RhythmEvents.h) from FindRhythmEvents: per kind the
//   count, the total duration, the longest and the fastest (highest mean
//   rate) with their times; per hour the events that start in it and the
//   time of atrial fibrillation inside it; AF burden in % of the analysed
//   time.
// - Heart-rate variability leaves atrial fibrillation out: an RR interval
//   whose second beat falls inside an AF episode (after its first beat, up to
//   its last) is not NN; the report says how much RR time that took.
// - Strips: 10 s of ECG at the first, the longest and the fastest event of
//   each kind present (one strip when they are the same event), each beat
//   with its class letter; an event of up to 8 s is centred on the strip, a
//   longer one starts 1 s after the strip does.
#include "HolterReport.h"

#include <optional>

// Short form of a kind's Russian name (RhythmKindTitle) for a strip's title ("ФП", ...).
const char* RhythmKindShort(ORhythmKind kind);

// V or S (or any class) beats in % of all beats; empty without beats.
std::optional<double> BeatBurdenPct(const OHolterReport& report, char beatClass);
std::optional<double> HourBurdenPct(const OHourRow& hour, char beatClass);

double EventSeconds(const OHolterReport& report, const ORhythmEvent& event);
double EventStartS(const OHolterReport& report, const ORhythmEvent& event);

// Steps of BuildHolterReport: class counts, the events and the AF exclusion
// of the NN intervals (after RrIntervals, before the time domain); the hourly
// class and event columns (after the hours); the event strips (while the
// samples are there).
void RhythmFigures(OHolterReport& report);
void HourlyRhythm(OHolterReport& report);
void RhythmStrips(OHolterReport& report);
