#pragma once
// Recordings with ectopic beats and rhythm episodes whose truth is known, for
// tests, benchmarks and the demo card.
//
//   // Five minutes at about 75 bpm: beats with their classes, and events.
//   std::optional<OEcgTruth> truth = WriteEctopyRecording(dir + "/e.экг", 75, 5, 1);
//   truth->rPeaks[i], truth->classes[i] ('N', 'S', 'V'), truth->events
//
//   // Any rhythm: the options as for ORecordingWriter.
//   ORecordingOptions options;
//   options.ecg.rhythm.episodes.push_back({OEcgPattern::Af, 30, 0, 110, 60});
//   std::optional<OEcgTruth> af = WriteRhythmRecording(path, options, 120);
//
// R-peaks are sample indices from the file's first sample (976.5625 Hz).
#include "RecordingWriter.h"

#include <optional>
#include <string>

// The ectopy schedule: isolated PVCs and APCs, 6 a minute each, away from
// the episodes (the first 40 % of the recording has nothing else); at
// fixed fractions of its length a couplet (40 %), a VT run of 5 beats
// (47 %), bigeminy of 5 cycles (54 %), trigeminy of 4 cycles (61 %), an SVT
// run of 5 beats (68 %) and, from 74 %, atrial fibrillation for 22 % of the
// length (66 s in five minutes). Runs go at 150 bpm or 30 % above the sinus
// rate, whichever is faster; AF at 20 % above it (90 bpm at least). Meant
// for recordings of 5 minutes or more at 50-150 bpm.
OEcgRhythm EctopySchedule(double seconds, double bpm);

// Writes the recording of options.ecg (and its rhythm) for about seconds
// (whole sectors) to path as the device writes a .экг file; no value when the
// file cannot be written.
std::optional<OEcgTruth> WriteRhythmRecording(const std::string& path, const ORecordingOptions& options,
                                              double seconds);

// A recording of minutes at about bpm with EctopySchedule, seeded by seed.
std::optional<OEcgTruth> WriteEctopyRecording(const std::string& path, double bpm, double minutes, uint32_t seed);
