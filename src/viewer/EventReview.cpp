#include "EventReview.h"

#include "EcgTime.h"
#include "StrFormat.h"

#include <algorithm>
#include <cmath>

uint32_t RhythmKindRgb(ORhythmKind kind)
{
    // Ventricular kinds red to purple, supraventricular and AF warm, the rate
    // kinds cool and grey.
    switch (kind) {
    case ORhythmKind::AF:
        return 0xFF8C00;
    case ORhythmKind::VT:
        return 0xE00000;
    case ORhythmKind::Couplet:
        return 0xFF4060;
    case ORhythmKind::Bigeminy:
        return 0xA000C0;
    case ORhythmKind::Trigeminy:
        return 0x6040E0;
    case ORhythmKind::SVT:
        return 0xD0B000;
    case ORhythmKind::Pause:
        return 0x808080;
    case ORhythmKind::Brady:
        return 0x0090D0;
    case ORhythmKind::Tachy:
        return 0x00B060;
    }
    return 0x808080;
}

OTimeRange EventViewRange(const ORhythmEvent& event, double timeOffset)
{
    const double start = event.startSample * kSamplePeriod + timeOffset;
    const double end = std::max(event.endSample, event.startSample) * kSamplePeriod + timeOffset;
    const double lo = start - kEventMarginSeconds;
    return {lo, std::min(end + kEventMarginSeconds, lo + kEventViewSeconds)};
}

int NeighbourEvent(int count, int current, int step)
{
    if (count <= 0)
        return -1;
    if (current < 0 || current >= count)
        return step >= 0 ? 0 : count - 1;
    return std::clamp(current + step, 0, count - 1);
}

int FirstEventToReview(const std::vector<ORhythmEvent>& events)
{
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i].kind == ORhythmKind::AF)
            return static_cast<int>(i);
    return events.empty() ? -1 : 0;
}

std::string EventTimeText(const ORhythmEvent& event, double timeOffset)
{
    const double t = event.startSample * kSamplePeriod + timeOffset;
    int64_t s = static_cast<int64_t>(std::floor(t));
    s = ((s % 86400) + 86400) % 86400;
    return StrFormat("%02d:%02d:%02d", static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                     static_cast<int>(s % 60));
}

std::string EventDurationText(const ORhythmEvent& event)
{
    const double d = std::max<int64_t>(event.endSample - event.startSample, 0) * kSamplePeriod;
    // Rounded first, so that 59.96 s reads 1:00 rather than 60.0 с; the
    // point is written by hand, whatever the locale's decimal sign.
    const int64_t tenths = std::llround(d * 10);
    if (tenths < 600)
        return StrFormat("%d.%d с", static_cast<int>(tenths / 10), static_cast<int>(tenths % 10));
    const int64_t s = (tenths + 5) / 10;
    if (s < 3600)
        return StrFormat("%d:%02d", static_cast<int>(s / 60), static_cast<int>(s % 60));
    return StrFormat("%d:%02d:%02d", static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                     static_cast<int>(s % 60));
}

std::string EventRateText(const ORhythmEvent& event)
{
    return event.meanBpm > 0 ? StrFormat("%.0f", event.meanBpm) : std::string();
}
