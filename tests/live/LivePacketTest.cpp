#include "LivePacket.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(LivePacket, StateTexts)
{
    struct Case {
        uint8_t flags, startError, writeError;
        const char* text;
    };
    const Case cases[] = {
        {0x0B, 0, 0, "ИДЕТ ЗАПИСЬ на SDv2 HC"},
        {0x08, 0, 0, "ИДЕТ ЗАПИСЬ на SD"},
        {0x0A, 0, 0, "ИДЕТ ЗАПИСЬ на SD HC"},
        {0x0C, 7, 7, "ИДЕТ ЗАПИСЬ на SD"}, // recording wins over the error bit
        {0x04, 0, 0x1F, "ОШИБКА записи на SD (0x1f)"},
        {0x04, 0x05, 0x1F, "ОШИБКА начала записи на SD (0x05)"},
        {0x00, 0, 0, "SD-карта ОТСУТСТВУЕТ"},
        {0x03, 1, 2, "SD-карта ОТСУТСТВУЕТ"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LiveStateText(c.flags, c.startError, c.writeError), c.text) << int(c.flags);
}

// Ten times the filter output, clamped to 16 bits signed, truncated towards
// zero, moved up by 0x8000.
TEST(LivePacket, FilteredSampleScaling)
{
    struct Case {
        double output;
        uint16_t stored;
    };
    const Case cases[] = {
        {4000.0, 0xFFFF}, {-4000.0, 0x0000}, {0.0, 0x8000},     {0.15, 0x8001},
        {-0.15, 0x7FFF},  {3276.7, 0xFFFF},  {-3276.8, 0x0000}, {100.09, 0x8000 + 1000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LiveFilteredSample(c.output), c.stored) << c.output;
    // A filter that blew up draws the middle line, not an undefined value.
    EXPECT_EQ(LiveFilteredSample(std::nan("")), 0x8000);
}

TEST(LivePacket, StatusLineFormat)
{
    LiveStatus s;
    s.stateText = "ИДЕТ ЗАПИСЬ на SDv2";
    s.firstSector = 0x10000;
    s.position = 0x1002a;
    s.dateText = "2026.12.09, 23:05:01, ";
    s.elapsed = 12.35;
    s.temperature = 36.1875;
    s.frequency = 50.5;
    s.x = -3.25;
    s.y = 0;
    s.z = 127;
    EXPECT_EQ(LiveStatusLine(s),
              "ИДЕТ ЗАПИСЬ на SDv2, ФАЙЛ=0x10000, ПОЗ=0x1002a, ВРЕМЯ 2026.12.09, 23:05:01, 12.3 сек, "
              "T = 36.2, F=50.500000 Гц,    X=-3.2, Y=+0.0, Z=+127.0");
}
