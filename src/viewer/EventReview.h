#pragma once
// Reviewing a recording's rhythm events in the analysis window, without
// widgets: what each kind is called and tinted, which stretch of time the
// chart shows for an event, and which event comes next.
#include "RhythmEvents.h"

#include <cstdint>
#include <string>
#include <vector>

// The tint of the kind's band on the chart, 0xRRGGBB.
uint32_t RhythmKindRgb(ORhythmKind kind);

// Seconds of recording shown before an event and after it.
inline constexpr double kEventMarginSeconds = 3.0;
// At most this much is shown: a long episode is reviewed from its onset, as
// a strip whose beats can still be told apart.
inline constexpr double kEventViewSeconds = 30.0;

struct OTimeRange {
    double lo, hi;
};
// The chart's time window for event (seconds of the chart's axis, which
// starts at timeOffset): the event with kEventMarginSeconds either side, cut
// to kEventViewSeconds from the margin before its start.
OTimeRange EventViewRange(const ORhythmEvent& event, double timeOffset);

// The event `step` places after `current` (-1 for none chosen: the first
// forward, the last backward); stays at the ends. -1 when there are none.
int NeighbourEvent(int count, int current, int step);

// The event a review starts from: the first AF episode, else the first
// event; -1 when there are none.
int FirstEventToReview(const std::vector<ORhythmEvent>& events);

// Texts of the list's columns.
std::string EventTimeText(const ORhythmEvent& event, double timeOffset); // "hh:mm:ss" of day
std::string EventDurationText(const ORhythmEvent& event);                // "4.2 с", "1:05", "2:03:07"
std::string EventRateText(const ORhythmEvent& event);                    // "152", empty without a rate
