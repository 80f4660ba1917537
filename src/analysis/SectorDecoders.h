#pragma once
// Decoders of the non-ECG fields of one 512-byte recording sector. Pure
// functions: the live view, the processing pass, the chart and the export
// all read sectors through them.
#include <cstdint>
#include <cstring>

// Little-endian field readers; a sector is any 512-byte block.
inline uint16_t SectorU16(const uint8_t* sector, int offset)
{
    return static_cast<uint16_t>(sector[offset] | (sector[offset + 1] << 8));
}
inline uint32_t SectorU32(const uint8_t* sector, int offset)
{
    return static_cast<uint32_t>(sector[offset]) | (static_cast<uint32_t>(sector[offset + 1]) << 8) |
           (static_cast<uint32_t>(sector[offset + 2]) << 16) | (static_cast<uint32_t>(sector[offset + 3]) << 24);
}

// ECG sample i (0..233) of a sector as the stored 16-bit word. The
// processing pass takes it as signed, the raw-signal chart as unsigned.
inline uint16_t SectorSampleWord(const uint8_t* sector, int i)
{
    return SectorU16(sector, 44 + 2 * i);
}
inline int16_t SectorSample(const uint8_t* sector, int i)
{
    return static_cast<int16_t>(SectorSampleWord(sector, i));
}

// Degrees Celsius from the thermometer's whole degrees T, count remaining R
// and counts per degree P: (P - R) / P + T - 0.25. A sector with P = 0 has no
// fraction to offer; it reads as T itself, the whole-degree reading.
double SectorTemperature(const uint8_t* sector);

// Mean accelerometer readings minus 128, each capped at 127; all 0 when the
// sector summed no readings.
void SectorAccelerations(const uint8_t* sector, double& x, double& y, double& z);
