#pragma once
// Frequency of the CCP1 input from the capture time stamps of the last four
// sectors. Feed every sector once, in order; the first three updates after a
// Reset still see zeroed slots.
#include <cstdint>

class OCcpMeter {
public:
    void Reset();
    // rough: captures per time between first captures of the newest and the
    // oldest sector; fine: the same between mean capture times. Hz, <= 9000.
    void Update(const uint8_t* sector, double& rough, double& fine);

    uint32_t A[4] = {}; // time stamp of each sector's first capture
    uint32_t R[4] = {}; // sum of the further captures' offsets from A (mod 2^32)
    uint32_t K[4] = {}; // number of captures
    int Slot = 0;       // slot written last
};
