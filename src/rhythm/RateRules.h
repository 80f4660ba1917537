#pragma once
// Pauses, brady- and tachycardia: the rules the Holter report has always
// used, kept here so that the report and the event list decide alike.
//
// - Pause: an RR interval longer than 2000 ms, whatever the flags of its
//   beats (a missed beat is still a gap the reader wants to see).
// - Bradycardia / tachycardia: runs of whole minutes whose heart rate is
//   below 50 or above 100 bpm, at least 2 minutes long. Minute m covers
//   [60 m, 60 m + 60) s from the recording's first sample.
//
// The report takes the heart rate of a minute from its own NN intervals
// (HrvMetrics.h). The event list, which sees only impulses, computes it here
// (MinuteRates below) by the same rule, NnRule.h.
#include "OImpulse.h"

#include <cstdint>
#include <optional>
#include <vector>

inline constexpr double kPauseMs = 2000;
inline constexpr double kBradyBpm = 50;
inline constexpr double kTachyBpm = 100;
inline constexpr int kEpisodeMinMinutes = 2;

inline bool IsPause(double rrMs)
{
    return rrMs > kPauseMs;
}

struct ORateEpisode {
    bool tachycardia;
    int firstMinute;
    int minutes;
    double extremeBpm; // lowest (brady) or highest (tachy) minute rate
};

// Brady- and tachycardia episodes of a per-minute heart rate (empty minutes
// break a run), ordered by their first minute.
std::vector<ORateEpisode> RateEpisodes(const std::vector<std::optional<double>>& bpmPerMinute);

// Heart rate of each whole minute of totalSamples from the impulses: 60000 /
// mean of the minute's normal intervals (both beats unflagged and normal,
// 300 to 2000 ms, within 20 % of the median of the ten neighbouring
// intervals), for minutes with at least 30 s of them; empty otherwise.
std::vector<std::optional<double>> MinuteRates(const OImpulse* impulses, int64_t count, int64_t totalSamples);
