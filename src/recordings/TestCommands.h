#pragma once
// Test functions of the device: a card write-speed test that fills blocks one
// after another, the upload of a WAV file's samples into the device's sound
// flash, and its playback. They report to the console and in plain messages.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

class OComPort;

// Kept for the life of the program: a new run continues where the last ended.
struct FillTestState {
    uint8_t fillValue = 0xF0;
    uint32_t blockAddress = 0x01000200;
};
FillTestState& FillTestProgress();

// Writes blocks until the device answers wrongly or not at all, `maxBlocks`
// were written (0 = no limit) or `cancel` is set. Returns the blocks written.
int FillTest(OComPort& port, int maxBlocks = 0, const std::atomic<bool>* cancel = nullptr);

inline constexpr uint32_t kSoundAreaAddress = 0x21400000;

bool WriteSoundBlock(OComPort& port, uint32_t address, const uint8_t data[512]);

struct WavData {
    std::string error; // empty when the file is a usable PCM WAV
    long offset = 0;   // file position of the samples
    uint32_t size = 0; // bytes of samples
};
WavData ParseWav(std::FILE* file);

// Uploads every whole 512-byte block of the file's samples; false after a
// message when the file cannot be used or the device refuses a block.
bool UploadSound(OComPort& port, const std::string& path);
void PlaySound(OComPort& port);
