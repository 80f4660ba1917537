// Opening recording files: sizes, refusals, shortage of memory, bad input.
#include "AnalysisFixtures.h"
#include "OChannel.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <thread>

namespace {

class EcgFile : public testing::Test {
protected:
    void SetUp() override { UseFreshSettings(); }
    std::string FileOfSize(const char* name, size_t bytes)
    {
        const std::string path = dir.File(name);
        ORecordingWriter writer(ORecordingOptions{});
        std::vector<uint8_t> data = writer.Sectors(static_cast<int64_t>(bytes / 512 + 1));
        data.resize(bytes);
        WriteFileBytes(path, data);
        return path;
    }
    size_t FilesInDir() const
    {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir.Path()), {}));
    }

    TempDir dir;
    TestDialogs dialogs;
    OEcgFile file;
    std::unique_ptr<OEKGFilter> filter = std::make_unique<OEKGFilter>();
};

TEST_F(EcgFile, SizeDecidesTheSectorCount)
{
    const struct {
        size_t bytes;
        bool opens;
        int64_t sectors;
    } cases[] = {{0, false, 0}, {511, false, 0}, {512, true, 1}, {1000, true, 1}, {1536, true, 3}};
    for (const auto& c : cases) {
        dialogs.Clear();
        const std::string path = FileOfSize("size.экг", c.bytes);
        EXPECT_EQ(file.OpenEcgFile(path, true), c.opens) << c.bytes;
        EXPECT_EQ(file.SectorCount(), c.sectors) << c.bytes;
        EXPECT_EQ(file.IsOpen(), c.opens) << c.bytes;
        EXPECT_EQ(file.IsMapped(), c.opens) << c.bytes;
        if (!c.opens) {
            ASSERT_EQ(dialogs.Count(), 1u);
            EXPECT_EQ(dialogs.Messages()[0].text, "Файл слишком мал, чтобы быть корректным ЭГК-файлом");
            EXPECT_EQ(dialogs.Messages()[0].caption, "ОШИБКА ОТКРЫТИЯ");
        } else {
            EXPECT_EQ(dialogs.Count(), 0u);
            EXPECT_EQ(file.FMs().Capacity(), c.sectors);
            EXPECT_EQ(file.ImpulseInfo().Capacity(), c.sectors);
        }
    }
}

TEST_F(EcgFile, RefusalsLeaveNothingOpen)
{
    const std::string good = FileOfSize("ЭКГ_2010_05_12, 14_30_05, 0x00010000.экг", 5120);
    ASSERT_TRUE(file.OpenEcgFile(good, true));
    EXPECT_EQ(file.StartOfDay().Text(), "14:30:05");

    EXPECT_FALSE(file.OpenEcgFile(good, false)); // a WAV file
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.SectorCount(), 0);
    EXPECT_FALSE(file.ImpulseInfo().Present());
    EXPECT_EQ(dialogs.Messages().back().caption, "ОШИБКА ОТКРЫТИЯ ФАЙЛА");

    for (const std::string& path : {dir.File("нет такого.экг"), dir.Path()}) {
        EXPECT_FALSE(file.OpenEcgFile(path, true)) << path;
        EXPECT_EQ(dialogs.Messages().back().caption, "ОШИБКА ОТКРЫТИЯ");
        EXPECT_EQ(dialogs.Messages().back().text.rfind("Ошибка открытия файла\n" + path + "\n", 0), 0u);
    }

    // A pass over nothing ends at once with empty results.
    OProcessControl control;
    EXPECT_EQ(ProcessFile(file, *filter, control), 0);
    EXPECT_EQ(file.ProcessedN(), 0);
}

TEST_F(EcgFile, ShortageOfMemoryIsOneWarningAndTheFileStaysOpen)
{
    const std::string path = FileOfSize("big.экг", 512 * 5000);
    channel_memory::SetRefuseAbove(100000); // m_ImpulseInfo does not fit
    const bool opened = file.OpenEcgFile(path, true);
    channel_memory::SetRefuseAbove(0);
    ASSERT_TRUE(opened);
    ASSERT_EQ(dialogs.Count(), 1u);
    const RecordedMessage m = dialogs.Messages()[0];
    EXPECT_EQ(m.caption, "ПРОБЛЕМЫ С ПАМЯТЬЮ");
    EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    EXPECT_NE(m.text.find("Не удалось выделить память для m_ImpulseInfo\n"), std::string::npos);
    EXPECT_EQ(m.text.find("m_ProcessedData"), std::string::npos) << "no sample arrays any more";
    EXPECT_EQ(m.text.find("m_Thermo"), std::string::npos);
    EXPECT_TRUE(file.IsMapped());

    // Without an impulse array the detector does not run; the rest is done.
    OProcessControl control;
    EXPECT_EQ(ProcessFile(file, *filter, control), 5000);
    EXPECT_EQ(file.ImpulseInfo().Count(), 0);
    EXPECT_EQ(file.Puls().Count(), 0);
    EXPECT_EQ(file.ProcessedN(), 234 * 5000 - (245 + 29));
    EXPECT_GT(file.Thermo().Count(), 0);
    EXPECT_EQ(file.FMs().Count(), 5000 - 4);
}

TEST_F(EcgFile, BadInputIsProcessedWithoutHarm)
{
    std::mt19937 random(5);
    std::vector<uint8_t> noise(512 * 300 + 77);
    for (auto& b : noise)
        b = static_cast<uint8_t>(random());
    WriteFileBytes(dir.File("random.экг"), noise);
    const std::string truncated = FileOfSize("truncated.экг", 512 * 40 + 300);

    for (const auto& [path, sectors] : {std::pair{dir.File("random.экг"), 300}, {truncated, 40}}) {
        ASSERT_TRUE(file.OpenEcgFile(path, true)) << path;
        OProcessControl control;
        EXPECT_EQ(ProcessFile(file, *filter, control), sectors) << path;
        EXPECT_EQ(file.ProcessedN(), 234 * sectors - 274) << path;
        EXPECT_LE(file.ImpulseInfo().Count(), sectors);
        EXPECT_LE(file.Puls().Count(), sectors);
    }
    file.CloseEcgFile();
    EXPECT_EQ(FilesInDir(), 2u); // nothing written beside the files
}

TEST_F(EcgFile, TwoGigabyteSparseFileOpensAndItsPassCanBeCancelled)
{
    const std::string path = dir.File("sparse.экг");
    {
        std::ofstream out(path, std::ios::binary);
    }
    std::filesystem::resize_file(path, 2ull << 30);
    ASSERT_TRUE(file.OpenEcgFile(path, true));
    EXPECT_EQ(file.SectorCount(), 4194304);
    for (const RecordedMessage& m : dialogs.Messages()) // room for the arrays or one warning
        EXPECT_EQ(m.caption, "ПРОБЛЕМЫ С ПАМЯТЬЮ");

    OProcessControl control;
    std::atomic<bool> ended{false};
    std::thread cancel([&] {
        while (control.progress.load() < 2000 && !ended.load())
            std::this_thread::yield();
        control.cancel.store(1);
    });
    const int64_t done = ProcessFile(file, *filter, control);
    ended.store(true);
    cancel.join();
    EXPECT_GE(done, 2000);
    EXPECT_LT(done, file.SectorCount());
    EXPECT_EQ(file.ImpulseInfo().Count(), 0); // all zeros: no beats
    file.CloseEcgFile();
    EXPECT_EQ(FilesInDir(), 1u);
}

} // namespace

namespace {

TEST(EcgFileMapping, DroppedPagesReadTheSameAgain)
{
    TempDir dir;
    TestDialogs dialogs;
    std::vector<uint8_t> bytes(512 * 3000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 512);
    const std::string path = dir.File("запись.экг");
    WriteFileBytes(path, bytes);
    OEcgFile file;
    ASSERT_TRUE(file.OpenEcgFile(path, true));
    for (const int64_t k : {0, 1500, 2999}) {
        ASSERT_EQ(std::memcmp(file.Sector(k), bytes.data() + k * 512, 512), 0);
        file.DropMappedPages();
        ASSERT_EQ(std::memcmp(file.Sector(k), bytes.data() + k * 512, 512), 0) << "after the drop, sector " << k;
    }
    file.CloseEcgFile();
    file.DropMappedPages(); // nothing mapped: nothing happens
}

} // namespace
