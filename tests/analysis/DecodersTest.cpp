// Sector decoders and what the analysis reads from file names.
#include "EcgFileName.h"
#include "OCcpMeter.h"
#include "RecordingWriter.h"
#include "SectorDecoders.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Sector = std::array<uint8_t, 512>;

void Put16(Sector& s, int offset, uint16_t v)
{
    s[offset] = static_cast<uint8_t>(v);
    s[offset + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Sector& s, int offset, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(SectorTemperature, CountsGiveTheFraction)
{
    Sector s{};
    s[17] = 36;
    s[19] = 9;
    s[20] = 16;
    EXPECT_DOUBLE_EQ(SectorTemperature(s.data()), 36.1875);
    s[17] = static_cast<uint8_t>(-5);
    EXPECT_DOUBLE_EQ(SectorTemperature(s.data()), -5 + 7.0 / 16 - 0.25);
    // No counts per degree: the whole-degree reading, never a division by 0.
    s[17] = 36;
    s[20] = 0;
    EXPECT_DOUBLE_EQ(SectorTemperature(s.data()), 36.0);
}

TEST(SectorTemperature, WriterEncodingReadsBack)
{
    for (double t : {-10.3, 0.0, 20.01, 36.6, 36.9999, 41.25}) {
        Sector s{};
        ORecordingWriter::EncodeTemperature(t, s.data());
        EXPECT_NEAR(SectorTemperature(s.data()), t, 1.0 / 32) << t;
    }
}

TEST(SectorAccelerations, MeanMinus128CappedAt127)
{
    Sector s{};
    double x = 1, y = 1, z = 1;
    Put16(s, 36, 40000);
    SectorAccelerations(s.data(), x, y, z); // no readings summed
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
    EXPECT_EQ(z, 0.0);

    s[43] = 100;
    Put16(s, 38, 12850); // 128.5 - 128
    Put16(s, 40, 0);
    SectorAccelerations(s.data(), x, y, z);
    EXPECT_EQ(x, 127.0); // 272 capped
    EXPECT_DOUBLE_EQ(y, 0.5);
    EXPECT_EQ(z, -128.0);
}

TEST(OCcpMeter, EqualOldestAndNewestStampsGiveRoughZero)
{
    OCcpMeter meter;
    meter.Reset();
    Sector s{};
    Put32(s, 24, 5000);
    Put32(s, 32, 3);
    double rough = -1, fine = -1;
    for (int i = 0; i < 4; ++i)
        meter.Update(s.data(), rough, fine);
    EXPECT_EQ(rough, 0.0);
    EXPECT_EQ(fine, 0.0);
}

TEST(OCcpMeter, SteadyInputFromTheWriterMeasuresItsFrequency)
{
    ORecordingOptions options;
    options.ccpHz = 1000; // within 5 % over the recording
    ORecordingWriter writer(options);
    OCcpMeter meter;
    meter.Reset();
    Sector s{};
    for (int i = 0; i < 40; ++i) {
        writer.NextSector(s.data());
        double rough, fine;
        meter.Update(s.data(), rough, fine);
        if (i >= 4) {
            EXPECT_NEAR(rough, 1000, 60) << i;
            EXPECT_NEAR(fine, 1000, 60) << i;
        }
    }
}

TEST(OCcpMeter, HighFrequencyIsCappedAt9000)
{
    OCcpMeter meter;
    meter.Reset();
    Sector s{};
    double rough = 0, fine = 0;
    for (uint32_t i = 0; i < 6; ++i) {
        Put32(s, 24, 1000 + i * 10); // ten ticks per sector, many captures
        Put32(s, 32, 5000);
        meter.Update(s.data(), rough, fine);
    }
    EXPECT_EQ(rough, 9000.0);
    EXPECT_EQ(fine, 9000.0);
}

TEST(StartTimeFromName, ReadsTheLastThreeOfSixNumbers)
{
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"ЭКГ_2010_05_12, 14_30_05, 0x00010000", "14:30:05"},
        {"ЭКГ_0x00010000", "00:00:00"},
        {"recording", "00:00:00"},
        {"ЭКГ_2010_05_12", "00:00:00"},
        {"a1 2 3 4 5 6 7", "04:05:06"},
        {"x_2010_05_12, 99999999999_1_2", "2147483647:01:02"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StartTimeFromName(c.name).Text(), c.text) << c.name;
}

TEST(SplitPath, NameRunsToTheLastPoint)
{
    const OPathParts p = SplitPath("/data/rec.v1.final.экг");
    EXPECT_EQ(p.folder, "/data/");
    EXPECT_EQ(p.name, "rec.v1.final");
    EXPECT_EQ(p.ext, "экг");
    const OPathParts bare = SplitPath("/data.d/rec");
    EXPECT_EQ(bare.name, "rec");
    EXPECT_EQ(bare.ext, "");
    EXPECT_TRUE(IsEcgExtension("/x/Запись.ЭКГ"));
    EXPECT_TRUE(IsEcgExtension("a.Экг"));
    EXPECT_FALSE(IsEcgExtension("a.wav"));
    EXPECT_FALSE(IsEcgExtension("экг"));
}

} // namespace
