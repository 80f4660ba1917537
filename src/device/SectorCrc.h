#pragma once
// CRC-16/XMODEM, the CRC16 of SD card data blocks (polynomial 0x1021, initial
// value 0, no reflection, no final XOR), sent high byte first.
//
// Sectors are checked with a table of 4096 entries: entry 8 x k + j is the CRC
// of a 512-byte block whose only set bit is bit j of byte k, so by linearity
// the CRC of a block is the XOR of the entries of its set bits. The table is
// generated on first use; the window program may load it from its resources
// instead (LoadCrcTable), as 8192 bytes of little-endian entries.
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr int kCrcTableEntries = 4096;
inline constexpr size_t kCrcTableBytes = 2 * kCrcTableEntries;

// The CRC of any byte block, computed byte by byte.
uint16_t Crc16Xmodem(const uint8_t* data, size_t length);

// The CRC of exactly 512 bytes, through the program-wide table.
uint16_t SectorCrc(const uint8_t* sector512);

// The 8192 bytes of the table, built from the rule above.
std::vector<uint8_t> BuildCrcTableBytes();

// Installs a table given as 8192 bytes; any other size stops the program.
void LoadCrcTable(const uint8_t* data, size_t size);
