#pragma once
// Layout of the recording area on the card and of one recording sector.
#include <cstdint>

inline constexpr uint32_t kRecordingSignature = 0xA73955AA;
// Sectors below this are never written by the device.
inline constexpr uint32_t kFirstRecordingSector = 65536;
inline constexpr int kSectorSize = 512;
inline constexpr int kSectorHeaderSize = 44;
inline constexpr int kSamplesPerSector = 234;
inline constexpr double kSecondsPerSector = 0.239616;
// A sector of the stream on the wire: token, 512 data bytes, CRC high, CRC low.
inline constexpr int kStreamFrameSize = 515;
inline constexpr uint8_t kGoodSectorToken = 0xFE;

inline uint32_t ReadLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void WriteLE32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

inline void WriteLE16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
