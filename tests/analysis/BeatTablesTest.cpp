// The beat and event lists of brenna-cli analyse, from impulses and events
// made by hand (the classifier and the event finder have tests of their own).
#include "BeatTables.h"

#include <gtest/gtest.h>

namespace {

OImpulse Beat(int32_t pos, uint8_t flags, char beatClass)
{
    OImpulse impulse{pos, flags, 0, 0};
    impulse.Class = beatClass;
    return impulse;
}

TEST(BeatTables, EveryBeatIsOneLineWithItsClassLetter)
{
    const OImpulse beats[] = {
        Beat(100, 0, kBeatNormal),  Beat(900, kImpulseEdge, kBeatSupra),        Beat(1500, 0, kBeatVentricular),
        Beat(2100, 0, kBeatFusion), Beat(2800, kImpulseDoubtful, kBeatUnknown), Beat(3500, 0, kBeatUnclassified),
        Beat(4100, 0, 'x'), // no class: printed as unclassified, never as a stray letter
    };
    EXPECT_EQ(BeatTableText(beats, 7), "100\t0\tN\n900\t4\tS\n1500\t0\tV\n2100\t0\tF\n2800\t1\tQ\n3500\t0\t-\n"
                                       "4100\t0\t-\n");
    EXPECT_EQ(BeatTableText(beats, 0), "");

    const OBeatClassCounts counts = CountBeatClasses(beats, 7);
    for (char c : kBeatClasses)
        EXPECT_EQ(counts.Of(c), 1) << c;
    EXPECT_EQ(counts.unclassified, 2);
    EXPECT_EQ(counts.Of(kBeatUnclassified), 2);
    EXPECT_EQ(counts.Total(), 7);
}

TEST(BeatTables, EventsInSecondsFromTheFirstSample)
{
    ORhythmSummary summary;
    summary.events = {
        {ORhythmKind::AF, 0, 29297, 41, 82.04},       // 30.0001 s at 976.5625 Hz
        {ORhythmKind::Couplet, 976562, 977148, 2, 0}, // 999.9995 .. 1000.5996 s
        {ORhythmKind::Pause, 1953125, 1955078, 2, 30.0},
    };
    EXPECT_EQ(EventTableText(summary), "AF\t0.000\t30.000\t41\t82.0\n"
                                       "COUPLET\t999.999\t1000.600\t2\t0.0\n"
                                       "PAUSE\t2000.000\t2002.000\t2\t30.0\n");
    EXPECT_EQ(EventTableText({}), "");
}

} // namespace
