// The command line's readers read the recording in chunks through its
// descriptor: on a recording many chunks long, ending in a truncated sector,
// what they give must equal the same reading of the whole file in memory.
#include "AnalysisFixtures.h"
#include "BeatClassifier.h"
#include "BeatSamples.h"
#include "EcgTime.h"
#include "EctopyRecording.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "SectorDecoders.h"
#include "SectorReader.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

namespace {

// Ten minutes with ectopic beats (2504 sectors, 19 read chunks), then 300
// bytes of a sector the recorder did not finish.
class StreamedRead : public testing::Test {
protected:
    void SetUp() override
    {
        UseFreshSettings();
        path = dir.File("e.экг");
        ASSERT_TRUE(WriteEctopyRecording(path, 75, 10, 3));
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        whole = int64_t(bytes.size()) / kSectorBytes;
        ASSERT_GT(whole, 10 * kSectorReaderChunk);
        std::ofstream(path, std::ios::binary | std::ios::app) << std::string(300, '\x5A');
        ASSERT_TRUE(file.OpenEcgFile(path, true));
    }

    // The raw ECG of the whole sectors, decoded from the bytes in memory.
    std::vector<int16_t> AllSamples() const
    {
        std::vector<int16_t> samples;
        for (int64_t k = 0; k < whole; ++k)
            for (int i = 0; i < kSamplesPerSector; ++i)
                samples.push_back(SectorSample(bytes.data() + k * kSectorBytes, i));
        return samples;
    }

    TempDir dir;
    TestDialogs dialogs;
    std::string path;
    std::vector<uint8_t> bytes; // the file before the truncated sector
    int64_t whole = 0;
    OEcgFile file;
};

TEST_F(StreamedRead, SectorsAreTheFileBytesAndTheTruncatedSectorIsNeverRead)
{
    ASSERT_EQ(file.SectorCount(), whole);
    OSectorReader reader(file);
    for (int64_t k = 0; k < whole; ++k) {
        const uint8_t* sector = reader.Sector(k);
        ASSERT_NE(sector, nullptr) << k;
        ASSERT_EQ(std::memcmp(sector, bytes.data() + k * kSectorBytes, kSectorBytes), 0) << k;
    }
    // Past the end: the last whole sector, not the unfinished one.
    EXPECT_EQ(std::memcmp(reader.Sector(whole + 3), bytes.data() + (whole - 1) * kSectorBytes, kSectorBytes), 0);

    const struct {
        int64_t first, count, available;
    } ranges[] = {
        {0, 5, 5},
        {kSectorReaderChunk - 2, 4, 4},                 // across a chunk's end
        {100, 3 * kSectorReaderChunk, 3 * kSectorReaderChunk}, // longer than a chunk
        {101, 2, 2},                                    // back inside what was read
        {whole - 3, 10, 3},                             // clipped at the last whole sector
        {whole, 1, 0},
        {-1, 2, 0},
    };
    for (const auto& r : ranges) {
        int64_t available = -1;
        const uint8_t* sectors = reader.Sectors(r.first, r.count, &available);
        ASSERT_EQ(available, r.available) << r.first << " +" << r.count;
        if (available > 0) {
            EXPECT_EQ(std::memcmp(sectors, bytes.data() + r.first * kSectorBytes, size_t(available) * kSectorBytes), 0)
                << r.first << " +" << r.count;
        }
    }
}

// The classes of a pass (whose classifier reads the file in chunks) equal the
// classes of the same impulses classified from the samples in memory.
TEST_F(StreamedRead, BeatClassesFromTheFileEqualThoseFromMemory)
{
    auto filter = std::make_unique<OEKGFilter>();
    filter->OverrideDetector(1); // precise
    OProcessControl control;
    ASSERT_EQ(ProcessFile(file, *filter, control), whole);
    const auto& impulses = file.ImpulseInfo();
    ASSERT_GT(impulses.Count(), 600);

    std::vector<OImpulse> again(impulses.Data(), impulses.Data() + impulses.Count());
    for (OImpulse& i : again)
        i.Class = kBeatUnclassified;
    const std::vector<int16_t> samples = AllSamples();
    ClassifyBeats(again.data(), int64_t(again.size()), ArraySampleSource(samples.data(), int64_t(samples.size())));
    std::map<char, int> perClass;
    for (int64_t i = 0; i < impulses.Count(); ++i) {
        ASSERT_EQ(impulses[i].Class, again[size_t(i)].Class) << "impulse " << i << " at " << impulses[i].Pos;
        ++perClass[impulses[i].Class];
    }
    EXPECT_GT(perClass['V'], 10);
    EXPECT_GT(perClass['N'], 500);

    // The source itself, on windows as the classifier asks for them and at the
    // file's two ends.
    const OSampleSource source = FileSampleSource(file);
    const int64_t total = int64_t(samples.size());
    const struct {
        int64_t first, count, got;
    } windows[] = {{0, 400, 400},        {300, 400, 400},           {29900, 400, 400}, {90000, 40000, 40000},
                   {total - 100, 400, 100}, {total, 10, 0},         {-5, 10, 0}};
    for (const auto& w : windows) {
        std::vector<int16_t> out(size_t(w.count), 0);
        ASSERT_EQ(source(w.first, w.count, out.data()), w.got) << w.first;
        for (int64_t i = 0; i < w.got; ++i)
            ASSERT_EQ(out[size_t(i)], samples[size_t(w.first + i)]) << w.first << " +" << i;
    }
}

// The classifier measures each beat's features a block of beats ahead on a
// thread of its own: whatever the block's size, down to one beat, every beat
// keeps its own features and the classes are those of one block.
TEST_F(StreamedRead, BeatClassesDoNotDependOnTheFeatureBlocks)
{
    auto filter = std::make_unique<OEKGFilter>();
    filter->OverrideDetector(1); // precise
    OProcessControl control;
    ProcessFile(file, *filter, control);
    const auto& impulses = file.ImpulseInfo();
    const int64_t count = impulses.Count();
    ASSERT_GT(count, 600);
    const std::vector<int16_t> samples = AllSamples();
    auto classes = [&](int64_t block) {
        std::vector<OImpulse> beats(impulses.Data(), impulses.Data() + count);
        for (OImpulse& i : beats)
            i.Class = kBeatUnclassified;
        ClassifyBeats(beats.data(), count, FileSampleSource(file), block);
        std::string letters;
        for (const OImpulse& i : beats)
            letters += i.Class;
        return letters;
    };
    const std::string whole = classes(count);
    EXPECT_NE(whole.find('V'), std::string::npos);
    for (const int64_t block : {int64_t(1), int64_t(7), int64_t(100), count - 1, kFeatureBlockBeats})
        EXPECT_EQ(classes(block), whole) << "blocks of " << block;
}

} // namespace
