#pragma once
// One detected R-peak. Packed to 22 bytes: this is the record layout the
// analysis and its chart series share.
#include <cstdint>

// Flag bits of OImpulse::Flags.
enum : uint8_t {
    kImpulseDoubtful = 1,    // followed by a candidate too soon/too wide/too late, or came too late itself
    kImpulseNeighbour = 2,   // first or third of a triple whose middle one is defective
    kImpulseEdge = 4,        // first or last impulse of the pass
    kImpulseDefective = 0x10 // middle one of such a triple
};

// Beat classes of OImpulse::Class, after the ANSI/AAMI EC57 scheme. The value
// is the class's letter, as the beat list, EDF+ and the report print it.
enum OBeatClass : char {
    kBeatUnclassified = 0, // the beat classifier has not run
    kBeatNormal = 'N',     // normal, or conducted as normal
    kBeatSupra = 'S',      // supraventricular ectopic
    kBeatVentricular = 'V',
    kBeatFusion = 'F',
    kBeatUnknown = 'Q' // noise, clipped, too little signal
};

#pragma pack(push, 1)
struct OImpulse {
    int32_t Pos;   // sample index of the R-peak (raw signal after Finish)
    uint8_t Flags; // kImpulse* bits; any bit set means flagged
    double Peak;   // matched-filter value at the peak
    double Defect; // defect measure
    char Class = kBeatUnclassified; // OBeatClass; independent of Flags
};
#pragma pack(pop)
static_assert(sizeof(OImpulse) == 22);
