#pragma once
// The device's live packet: one recording sector as it goes to the card,
// followed by three status bytes about the card. Pure functions over its bytes.
#include "RecordingFormat.h"

#include <cstdint>
#include <string>

inline constexpr int kLivePacketSize = 515;
inline constexpr int kLiveSectorSize = kSectorSize;
inline constexpr int kLiveSamplesPerPacket = kSamplesPerSector;
inline constexpr int kLiveSampleOffset = kSectorHeaderSize;
inline constexpr uint32_t kLiveSignature = kRecordingSignature;

// Status flags (byte 512).
inline constexpr uint8_t kLiveCardV2 = 0x01;
inline constexpr uint8_t kLiveCardHC = 0x02;
inline constexpr uint8_t kLiveError = 0x04;
inline constexpr uint8_t kLiveRecording = 0x08;

inline uint32_t LiveU32(const uint8_t* p) { return ReadLE32(p); }

struct LivePacketView {
    const uint8_t* bytes;
    uint32_t FirstSector() const { return LiveU32(bytes + 4); }
    uint32_t Position() const { return LiveU32(bytes + 8); }
    uint32_t Ticks() const { return LiveU32(bytes + 12); }
    uint16_t Sample(int i) const
    {
        const uint8_t* p = bytes + kLiveSampleOffset + 2 * i;
        return uint16_t(p[0] | p[1] << 8);
    }
    uint8_t Flags() const { return bytes[512]; }
    uint8_t StartError() const { return bytes[513]; }
    uint8_t WriteError() const { return bytes[514]; }
    // Seconds since the start of the recording (ticks of 0.0001024 s).
    double Elapsed() const { return Ticks() * 0.0001024; }
};

// The recorder's state as the status line shows it.
std::string LiveStateText(uint8_t flags, uint8_t startError, uint8_t writeError);

// A filter output as stored in the sample ring: ten times the output, clamped
// to the 16-bit signed range and moved up by 0x8000 so the ring stays unsigned.
uint16_t LiveFilteredSample(double filterOutput);

struct LiveStatus {
    std::string stateText;
    uint32_t firstSector = 0;
    uint32_t position = 0;
    std::string dateText; // "YYYY.MM.DD, hh:mm:ss, " or empty
    double elapsed = 0;
    double temperature = 0;
    double frequency = 0;
    double x = 0, y = 0, z = 0;
};

// The text of the status line (edit 1012).
std::string LiveStatusLine(const LiveStatus& status);
