// What the report reads from a recording, in chunks through its descriptor:
// on a recording many chunks long, ending in a truncated sector, the minutes'
// sums and the strips' samples equal those of the whole file in memory, and
// the report built from them equals the one built from every sector, also
// once the file is closed.
#include "AnalysisFixtures.h"
#include "EcgTime.h"
#include "HolterReport.h"
#include "ProcessFile.h"
#include "ReportFiles.h"
#include "ReportSource.h"
#include "SectorDecoders.h"
#include "SectorReader.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

namespace {

constexpr int64_t kSectors = 20 * kSectorReaderChunk + 37; // 622 s

// Temperatures, accelerations and sectors without accelerometer readings
// that change from sector to sector.
std::vector<uint8_t> VariedRecording()
{
    ORecordingOptions options;
    options.ecg.seed = 12;
    std::vector<uint8_t> bytes = MakeRecording(options, kSectors);
    std::mt19937 random(7);
    for (int64_t k = 0; k < kSectors; ++k) {
        uint8_t* s = bytes.data() + k * kSectorBytes;
        s[17] = uint8_t(30 + random() % 10); // T
        s[19] = uint8_t(random() % 16);      // R
        s[20] = uint8_t(random() % 17);      // P (0: whole degrees)
        for (int offset : {36, 38, 40}) {
            const uint16_t sum = uint16_t(random() % 6000);
            s[offset] = uint8_t(sum & 0xFF);
            s[offset + 1] = uint8_t(sum >> 8);
        }
        s[43] = k % 97 == 5 ? 0 : uint8_t(24 + random() % 3); // readings summed
    }
    return bytes;
}

TEST(ReportSource, SectorMinutesAndStripSamplesEqualTheFileInMemory)
{
    UseFreshSettings();
    TempDir dir;
    TestDialogs dialogs;
    const std::vector<uint8_t> bytes = VariedRecording();
    std::vector<uint8_t> truncated = bytes;
    truncated.insert(truncated.end(), 200, 0x33); // an unfinished last sector
    const std::string path = dir.File("r.экг");
    WriteFileBytes(path, truncated);
    OEcgFile file;
    ASSERT_TRUE(file.OpenEcgFile(path, true));
    ASSERT_EQ(file.SectorCount(), kSectors);
    auto filter = std::make_unique<OEKGFilter>();
    OProcessControl pass;
    ProcessFile(file, *filter, pass);

    // Every sector, decoded in memory as the report once kept them.
    std::vector<OSectorAux> sectors;
    std::vector<double> samples;
    OSectorMinutes expected(kSectorDuration);
    for (int64_t k = 0; k < kSectors; ++k) {
        const uint8_t* s = bytes.data() + k * kSectorBytes;
        OSectorAux aux;
        aux.temperature = SectorTemperature(s);
        SectorAccelerations(s, aux.x, aux.y, aux.z);
        aux.hasAccelerations = s[43] != 0;
        sectors.push_back(aux);
        expected.Add(aux);
        for (int i = 0; i < kSamplesPerSector; ++i)
            samples.push_back(SectorSample(s, i));
    }

    const OReportInput in = ReportInputFromFile(file, 0, 0);
    ASSERT_EQ(in.sectors.SectorCount(), kSectors);
    ASSERT_EQ(in.sectors.Minutes().size(), expected.Minutes().size());
    ASSERT_EQ(in.sectors.Minutes().size(), 11u); // 622 s
    for (size_t m = 0; m < expected.Minutes().size(); ++m) {
        const OMinuteSums &got = in.sectors.Minutes()[m], &want = expected.Minutes()[m];
        EXPECT_EQ(got.activity, want.activity) << m;
        EXPECT_EQ(got.temperature, want.temperature) << m;
        EXPECT_EQ(got.pairs, want.pairs) << m;
        EXPECT_EQ(got.sectors, want.sectors) << m;
    }
    // The sums are those of the per-sector rule (HolterReport.h): minute 3's
    // activity from its sector pairs that both summed readings.
    double activity = 0, temperature = 0;
    int64_t pairs = 0, count = 0;
    for (int64_t k = 0; k < kSectors; ++k) {
        if (static_cast<int64_t>(k * kSectorDuration / 60) != 3)
            continue;
        temperature += sectors[size_t(k)].temperature;
        ++count;
        const OSectorAux &a = sectors[size_t(k - 1)], &b = sectors[size_t(k)];
        if (a.hasAccelerations && b.hasAccelerations) {
            activity += std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
            ++pairs;
        }
    }
    EXPECT_EQ(in.sectors.Minutes()[3].activity, activity);
    EXPECT_EQ(in.sectors.Minutes()[3].temperature, temperature);
    EXPECT_EQ(in.sectors.Minutes()[3].pairs, pairs);
    EXPECT_EQ(in.sectors.Minutes()[3].sectors, count);
    EXPECT_LT(pairs, count); // sectors without readings were left out

    const int64_t total = int64_t(samples.size());
    const struct {
        int64_t first, count, got;
    } ranges[] = {{0, 100, 100},
                  {-50, 100, 50},
                  {kSectorReaderChunk * kSamplesPerSector - 5000, 11000, 11000}, // across a chunk's end
                  {total - 3000, 11000, 3000},
                  {total, 10, 0}};
    for (const auto& r : ranges) {
        const std::vector<double> got = in.samples(r.first, r.count);
        ASSERT_EQ(int64_t(got.size()), r.got) << r.first;
        const int64_t from = std::max<int64_t>(0, r.first);
        for (int64_t i = 0; i < r.got; ++i)
            ASSERT_EQ(got[size_t(i)], samples[size_t(from + i)]) << r.first << " +" << i;
    }

    // The whole report, the JSON byte for byte, against one built from the
    // sectors and samples in memory.
    OReportInput memory = in;
    memory.sectors = expected;
    memory.samples = [&samples](int64_t first, int64_t n) {
        std::vector<double> out;
        for (int64_t i = std::max<int64_t>(0, first); i < std::min<int64_t>(int64_t(samples.size()), first + n); ++i)
            out.push_back(samples[size_t(i)]);
        return out;
    };
    OReportControl a, b;
    const auto streamed = BuildHolterReport(in, a);
    const auto inMemory = BuildHolterReport(memory, b);
    ASSERT_TRUE(streamed && inMemory);
    EXPECT_EQ(QJsonDocument(ReportJson(*streamed)).toJson(), QJsonDocument(ReportJson(*inMemory)).toJson());
    ASSERT_EQ(streamed->strips.size(), inMemory->strips.size());
    for (size_t i = 0; i < streamed->strips.size(); ++i)
        EXPECT_EQ(streamed->strips[i].ecg, inMemory->strips[i].ecg) << i;
    ASSERT_TRUE(streamed->activityPerMinute[3]);
    EXPECT_EQ(*streamed->activityPerMinute[3], activity / double(pairs));

    // The strips' reader outlives the file (the command line closes it
    // before the report is built).
    file.CloseEcgFile();
    const std::vector<double> after = in.samples(total - 500, 500);
    ASSERT_EQ(after.size(), 500u);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), samples.end() - 500));
}

} // namespace
