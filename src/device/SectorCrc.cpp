#include "SectorCrc.h"

#include "Fatal.h"

#include <array>
#include <mutex>

namespace {

constexpr size_t kSectorBytes = 512;

std::array<uint16_t, 256> MakeByteTable()
{
    std::array<uint16_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        uint16_t crc = static_cast<uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
        table[byte] = crc;
    }
    return table;
}

const std::array<uint16_t, 256>& ByteTable()
{
    static const std::array<uint16_t, 256> table = MakeByteTable();
    return table;
}

std::array<uint16_t, kCrcTableEntries> MakeBitTable()
{
    std::array<uint16_t, kCrcTableEntries> table{};
    std::array<uint8_t, kSectorBytes> block{};
    for (size_t k = 0; k < kSectorBytes; ++k) {
        for (int j = 0; j < 8; ++j) {
            block[k] = static_cast<uint8_t>(1u << j);
            table[8 * k + j] = Crc16Xmodem(block.data(), block.size());
        }
        block[k] = 0;
    }
    return table;
}

// Filled once, before the first sector is checked: by LoadCrcTable at start-up
// or from the rule on first use.
std::array<uint16_t, kCrcTableEntries> g_BitTable;
std::once_flag g_BitTableReady;

const std::array<uint16_t, kCrcTableEntries>& BitTable()
{
    std::call_once(g_BitTableReady, [] { g_BitTable = MakeBitTable(); });
    return g_BitTable;
}

} // namespace

uint16_t Crc16Xmodem(const uint8_t* data, size_t length)
{
    const auto& table = ByteTable();
    uint16_t crc = 0;
    for (size_t i = 0; i < length; ++i)
        crc = static_cast<uint16_t>((crc << 8) ^ table[((crc >> 8) ^ data[i]) & 0xFF]);
    return crc;
}

uint16_t SectorCrc(const uint8_t* sector512)
{
    const auto& table = BitTable();
    uint16_t crc = 0;
    for (size_t k = 0; k < kSectorBytes; ++k) {
        unsigned bits = sector512[k];
        const uint16_t* entries = &table[8 * k];
        for (int j = 0; bits != 0; ++j, bits >>= 1)
            if (bits & 1)
                crc ^= entries[j];
    }
    return crc;
}

std::vector<uint8_t> BuildCrcTableBytes()
{
    const auto table = MakeBitTable();
    std::vector<uint8_t> bytes(kCrcTableBytes);
    for (int i = 0; i < kCrcTableEntries; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(table[i]);
        bytes[2 * i + 1] = static_cast<uint8_t>(table[i] >> 8);
    }
    return bytes;
}

void LoadCrcTable(const uint8_t* data, size_t size)
{
    if (size != kCrcTableBytes)
        Halt("Загрузка MMC_CRCs_Tab из ресурсов - непрвильный размер !");
    std::array<uint16_t, kCrcTableEntries> loaded{};
    for (int i = 0; i < kCrcTableEntries; ++i)
        loaded[i] = static_cast<uint16_t>(data[2 * i] | data[2 * i + 1] << 8);
    // A second load (it happens only at start-up) replaces the first.
    bool installed = false;
    std::call_once(g_BitTableReady, [&] {
        g_BitTable = loaded;
        installed = true;
    });
    if (!installed)
        g_BitTable = loaded;
}
