#pragma once
// Live packets as the device sends them, for tests.
#include "LivePacket.h"

#include <array>
#include <cstdint>
#include <functional>

struct LivePacketFields {
    uint32_t firstSector = 0x10000;
    uint32_t position = 0x10000;
    uint32_t ticks = 0;
    uint8_t flags = 0x08;
    uint8_t startError = 0;
    uint8_t writeError = 0;
    std::function<uint16_t(int)> sample = [](int i) { return uint16_t(5000 + i); };
};

inline std::array<uint8_t, kLivePacketSize> MakeLivePacket(const LivePacketFields& fields)
{
    std::array<uint8_t, kLivePacketSize> p{};
    auto put32 = [&](int at, uint32_t v) {
        for (int b = 0; b < 4; ++b)
            p[at + b] = uint8_t(v >> (8 * b));
    };
    put32(0, kLiveSignature);
    put32(4, fields.firstSector);
    put32(8, fields.position);
    put32(12, fields.ticks);
    p[17] = 36; // 36 + (16 - 9) / 16 - 0.25 = 36.1875 degrees
    p[19] = 9;
    p[20] = 16;
    for (int i = 0; i < kLiveSamplesPerPacket; ++i) {
        const uint16_t s = fields.sample(i);
        p[44 + 2 * i] = uint8_t(s);
        p[45 + 2 * i] = uint8_t(s >> 8);
    }
    p[512] = fields.flags;
    p[513] = fields.startError;
    p[514] = fields.writeError;
    return p;
}
