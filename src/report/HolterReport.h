#pragma once
// The Holter report of one processed recording, window-free: heart-rate
// variability (HrvMetrics.h, FrequencyDomain.h), heart rate per minute,
// pauses, brady- and tachycardia episodes, activity and temperature per
// minute, the hourly table and the events with their ECG strips.
//
// - Pauses: every RR_i > 2000 ms (flags ignored), with its time and length.
// - Brady- and tachycardia episodes: runs of whole minutes with heart rate
//   < 50 or > 100 bpm lasting at least 2 minutes.
//   Both rules, and their constants kPauseMs, kBradyBpm, kTachyBpm and
//   kEpisodeMinMinutes, live in the rhythm library (RateRules.h), which the
//   event list shares.
// - Activity index of a minute: the mean length of the change of the
//   acceleration vector (X, Y, Z, accelerometer units) from one sector to
//   the next, over the sector pairs whose second sector starts in that minute
//   and both of which summed readings. Still: about 0; walking: several units.
// - Temperature of a minute: the mean of its sectors' temperatures.
// - Ectopy and rhythm events: ReportRhythm.h.
#include "BeatTables.h"
#include "FrequencyDomain.h"
#include "HrvMetrics.h"
#include "RateRules.h"
#include "RecordingStart.h"
#include "RhythmEvents.h"
#include "SectorMinutes.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

inline constexpr double kStripS = 10;
inline constexpr int kStripPauses = 3; // longest pauses shown with a strip

// Progress (per mille) and cancel of a report being built, shared with a
// wait dialog.
struct OReportControl {
    std::atomic<int32_t> cancel{0};
    std::atomic<int32_t> progress{0};
    bool Cancelled() const { return cancel.load(std::memory_order_relaxed) != 0; }
    void Progress(int32_t permille) { progress.store(permille, std::memory_order_relaxed); }
};

struct OReportInput {
    std::string filePath;
    ORecordingStart start;
    double durationS = 0;
    int32_t detector = 0;
    double sampleRate = 976.5625;
    std::vector<OBeat> beats;
    OSectorMinutes sectors; // the sectors' channels per minute
    // Raw ECG samples [first, first + count) clipped to the recording, read
    // when a strip needs them; absent: no strips.
    std::function<std::vector<double>(int64_t first, int64_t count)> samples;
    double unitsPerMillivolt = 0; // 0: not calibrated
    // The rhythm events; absent: FindRhythmEvents over the beats.
    std::optional<ORhythmSummary> rhythm;
};

struct OPause {
    double timeS; // second beat
    double rrMs;
};

struct OEpisode {
    bool tachycardia;
    int firstMinute;
    int minutes;
    double extremeBpm; // lowest (brady) or highest (tachy) minute rate
};

struct OHourRow {
    int hour; // from the start of the recording
    int64_t beats = 0;
    std::optional<double> hrMin, hrMean, hrMax, sdnn, rmssd, excludedPct, activity, temperature;
    OBeatClassCounts classes;                       // beats of the hour per class
    std::array<int64_t, kRhythmKindCount> events{}; // events starting in the hour, per ORhythmKind
    double afS = 0;                                 // atrial fibrillation inside the hour
};

struct OStripBeat {
    double timeS;
    bool flagged;
    char beatClass = kBeatUnclassified;
};

struct OStrip {
    std::string title;      // Russian, for the report
    std::string kind;       // "pause", "fastest_minute", "slowest_minute", or a rhythm KIND ("AF", ...)
    std::string role;       // for a rhythm event: "first", "longest" or "fastest" (several joined by ",")
    double eventTimeS = 0;  // the pause's second beat, the minute's start, or the event's start
    double valueMs = 0;     // pause length, minute heart rate (bpm) for minutes, or event length
    double startS = 0;      // first sample of the strip
    std::vector<float> ecg; // baseline removed, device units, at sampleRate
    std::vector<OStripBeat> beats;
};

// One kind of rhythm event over the recording: indices into rhythm.events.
struct ORhythmKindRow {
    ORhythmKind kind;
    int64_t count = 0;
    double totalS = 0;
    size_t first = 0, longest = 0, fastest = 0;
};

struct OHolterReport {
    OReportInput info; // beats, sectors and samples cleared once used
    int64_t beatCount = 0;
    std::vector<ORrInterval> rr;
    OTimeDomain time;
    OFrequencyDomain frequency;
    std::vector<std::optional<double>> hrPerMinute;
    std::optional<double> hrMin, hrMean, hrMax;
    int hrMinMinute = -1, hrMaxMinute = -1;
    std::vector<OPause> pauses; // in time order
    std::vector<OEpisode> episodes;
    std::vector<std::optional<double>> activityPerMinute, temperaturePerMinute;
    std::vector<OHourRow> hours;
    std::vector<OStrip> strips;

    // Ectopy and rhythm (ReportRhythm.h).
    OBeatClassCounts classes;
    ORhythmSummary rhythm;
    std::vector<ORhythmKindRow> kinds; // the kinds present, in ORhythmKind order
    double hrvAfExcludedS = 0;         // RR time inside AF left out of the NN intervals
    std::vector<OStrip> rhythmStrips;  // first, longest and fastest of each kind
};

// Builds the whole report; progress goes to 800 per mille (the PDF takes the
// rest). Empty when cancelled.
std::optional<OHolterReport> BuildHolterReport(OReportInput input, OReportControl& control);

// The ECG strip of kStripS seconds around centreS with its beats.
OStrip EcgStrip(const OHolterReport& report, double centreS);

// The longest pauses, longest first.
std::vector<OPause> LongestPauses(const std::vector<OPause>& pauses, size_t count);
