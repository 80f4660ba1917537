// The CRC of sectors and its table, request frames, and the edit's number.
#include "DeviceCommands.h"
#include "ODevice.h"
#include "SectorCrc.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

TEST(SectorCrc, KnownValues)
{
    const std::string text = "123456789";
    EXPECT_EQ(Crc16Xmodem(reinterpret_cast<const uint8_t*>(text.data()), text.size()), 0x31C3);
    std::vector<uint8_t> sector(512, 0);
    EXPECT_EQ(SectorCrc(sector.data()), 0);
    sector[0] = 0x01;
    EXPECT_EQ(SectorCrc(sector.data()), 0x8AA0);
}

TEST(SectorCrc, BitTableAgreesWithByteWiseCrc)
{
    std::mt19937 random(7);
    std::vector<uint8_t> sector(512);
    for (int round = 0; round < 50; ++round) {
        for (auto& byte : sector)
            byte = static_cast<uint8_t>(random());
        EXPECT_EQ(SectorCrc(sector.data()), Crc16Xmodem(sector.data(), sector.size())) << "round " << round;
    }
    sector.assign(512, 0xFF);
    EXPECT_EQ(SectorCrc(sector.data()), Crc16Xmodem(sector.data(), sector.size()));
}

TEST(SectorCrc, TableBytesFollowTheRuleAndLoadBack)
{
    const std::vector<uint8_t> table = BuildCrcTableBytes();
    ASSERT_EQ(table.size(), 8192u);
    // Entry 0: the block whose only set bit is bit 0 of byte 0; little-endian.
    EXPECT_EQ(table[0], 0xA0);
    EXPECT_EQ(table[1], 0x8A);
    // Entry 8 x 511 + 7: bit 7 of the last byte.
    std::vector<uint8_t> block(512, 0);
    block[511] = 0x80;
    const uint16_t last = Crc16Xmodem(block.data(), block.size());
    EXPECT_EQ(table[2 * 4095], last & 0xFF);
    EXPECT_EQ(table[2 * 4095 + 1], last >> 8);

    LoadCrcTable(table.data(), table.size());
    block[0] = 0x5A;
    EXPECT_EQ(SectorCrc(block.data()), Crc16Xmodem(block.data(), block.size()));
}

TEST(SectorCrcDeathTest, TableOfWrongSizeStopsTheProgram)
{
    const std::vector<uint8_t> table = BuildCrcTableBytes();
    EXPECT_EXIT(LoadCrcTable(table.data(), 8190), testing::ExitedWithCode(255),
                "Загрузка MMC_CRCs_Tab из ресурсов - непрвильный размер !");
}

TEST(RequestFrames, Layouts)
{
    EXPECT_EQ(MakeSetFirstFreeRequest(0x10000),
              (std::vector<uint8_t>{0xCD, 0x23, 0x00, 0x00, 0x01, 0x00, 0xCA, 0x3D, 0xE9, 0xA1}));
    EXPECT_EQ(MakeReadSectorRequest(0x12345678, 0), (std::vector<uint8_t>{0xCD, 0x0C, 0x78, 0x56, 0x34, 0x12, 0x00}));
    EXPECT_EQ(MakeStreamRequest(0x1E3D70, 1, 8), (std::vector<uint8_t>{0xCD, 0x19, 0x70, 0x3D, 0x1E, 0x00, 1, 8}));
    for (uint8_t code = 0; code < 0xFF; ++code) {
        const int length = CommandParamLength(code);
        EXPECT_TRUE(length == -1 || (length >= 0 && length <= 8)) << int(code);
    }
}

TEST(HexSectorText, ReadLikeTheEditExpects)
{
    struct Case {
        const char* text;
        std::optional<uint32_t> value;
    };
    const Case cases[] = {
        {"1A2B3", 0x1A2B3},          {"0x1a2b3", 0x1A2B3},      {"  ff", 0xFF},
        {"10000 rest", 0x10000},     {"FFFFFFFF", 0xFFFFFFFFu}, {"0xg", 0},
        {"xyz", std::nullopt},       {"", std::nullopt},        {"-1", std::nullopt},
        {"100000000", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseHexSectorText(c.text), c.value) << "'" << c.text << "'";
}
