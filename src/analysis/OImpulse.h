#pragma once
// One detected R-peak. Packed to 21 bytes: this is the record layout the
// analysis and its chart series share.
#include <cstdint>

// Flag bits of OImpulse::Flags.
enum : uint8_t {
    kImpulseDoubtful = 1,    // followed by a candidate too soon/too wide/too late, or came too late itself
    kImpulseNeighbour = 2,   // first or third of a triple whose middle one is defective
    kImpulseEdge = 4,        // first or last impulse of the pass
    kImpulseDefective = 0x10 // middle one of such a triple
};

#pragma pack(push, 1)
struct OImpulse {
    int32_t Pos;   // sample index of the R-peak (raw signal after Finish)
    uint8_t Flags; // kImpulse* bits; any bit set means flagged
    double Peak;   // matched-filter value at the peak
    double Defect; // defect measure
};
#pragma pack(pop)
static_assert(sizeof(OImpulse) == 21);
