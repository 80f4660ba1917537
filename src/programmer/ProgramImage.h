#pragma once
// The PIC16F873A's program memory as the PC holds it: 4096 words of 14 bits,
// each stored as 16 bits little-endian, so byte address = 2 x word address.
#include <array>
#include <cstdint>

constexpr int kProgramWords = 4096;
constexpr int kImageBytes = 2 * kProgramWords;
constexpr uint16_t kErasedWord = 0x3FFF;

using OProgramImage = std::array<uint8_t, kImageBytes>;

// 4096 erased words.
OProgramImage ErasedImage();

inline uint16_t ImageWord(const OProgramImage& image, int word)
{
    return static_cast<uint16_t>(image[2 * word] | image[2 * word + 1] << 8);
}

inline void SetImageWord(OProgramImage& image, int word, uint16_t value)
{
    image[2 * word] = static_cast<uint8_t>(value);
    image[2 * word + 1] = static_cast<uint8_t>(value >> 8);
}
