#pragma once
// The device's test commands: the card write-speed test (fill a block), the
// sound upload into its flash, in 512-byte blocks, and the sound playback.
#include "OSimDevice.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

class OSimTestCommands {
public:
    // Registers the commands with the device; lives as long as the device serves.
    explicit OSimTestCommands(OSimDevice& device);

    // Sound flash contents by block address (thread-safe copies).
    std::map<uint32_t, std::vector<uint8_t>> SoundBlocks() const;
    int PlayCount() const;
    int FillCount() const;

private:
    void OnFill(const uint8_t* params, OSimDevice::TimePoint now);
    void OnWriteSound(const uint8_t* params, OSimDevice::TimePoint now);
    bool TakeSoundByte(uint8_t byte, OSimDevice::TimePoint now);

    OSimDevice& m_Device;
    mutable std::mutex m_Mutex;
    std::map<uint32_t, std::vector<uint8_t>> m_Sound;
    bool m_ReceivingSound = false;
    uint32_t m_SoundAddress = 0;
    std::vector<uint8_t> m_SoundBlock;
    int m_Plays = 0;
    int m_Fills = 0;
};
