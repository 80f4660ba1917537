#include "RecordingFile.h"
#include "RecordingFormat.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/resource.h>
#include <vector>

namespace {

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> Sector(uint8_t fill)
{
    std::vector<uint8_t> s(kSectorSize, fill);
    WriteLE32(s.data(), kRecordingSignature);
    return s;
}

uint32_t LE32At(const std::vector<uint8_t>& v, size_t at)
{
    return ReadLE32(v.data() + at);
}

} // namespace

TEST(RecordingFile, EkgFileHoldsTheSectorsAsTheyAre)
{
    TempDir dir;
    ORecordingFile file;
    ASSERT_TRUE(file.Create(dir.File("a.экг")));
    EXPECT_FALSE(file.IsWav());
    const auto s1 = Sector(0x11), s2 = Sector(0x22);
    ASSERT_TRUE(file.AppendSector(s1.data()));
    ASSERT_TRUE(file.AppendSector(s2.data()));
    file.Close();
    auto expected = s1;
    expected.insert(expected.end(), s2.begin(), s2.end());
    EXPECT_EQ(ReadAll(dir.File("a.экг")), expected);
}

TEST(RecordingFile, UpperCaseWavGetsHeaderAndPatchedSizes)
{
    TempDir dir;
    ORecordingFile file;
    ASSERT_TRUE(file.Create(dir.File("b.WAV")));
    EXPECT_TRUE(file.IsWav());
    const auto s1 = Sector(0x11), s2 = Sector(0x22);
    file.AppendSector(s1.data());
    file.AppendSector(s2.data());
    file.Close();
    const auto wav = ReadAll(dir.File("b.WAV"));
    ASSERT_EQ(wav.size(), 982u);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(LE32At(wav, 4), 974u);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(LE32At(wav, 16), 18u);
    EXPECT_EQ(LE32At(wav, 24), 976u);
    EXPECT_EQ(LE32At(wav, 28), 1952u);
    EXPECT_EQ(std::string(wav.begin() + 38, wav.begin() + 42), "data");
    EXPECT_EQ(LE32At(wav, 42), 936u);
    // Samples only: bytes 44..511 of each sector.
    EXPECT_TRUE(std::equal(s1.begin() + 44, s1.end(), wav.begin() + 46));
    EXPECT_TRUE(std::equal(s2.begin() + 44, s2.end(), wav.begin() + 46 + 468));
}

TEST(RecordingFile, WavSuffixRule)
{
    EXPECT_TRUE(IsWavPath("x.wav"));
    EXPECT_TRUE(IsWavPath("/tmp/x.WaV"));
    EXPECT_FALSE(IsWavPath(".wav")); // not longer than 4 characters
    EXPECT_FALSE(IsWavPath("x.wav.экг"));
    EXPECT_FALSE(IsWavPath("xwav"));
}

TEST(RecordingFile, CreateFailureIsShownWithThePath)
{
    TestDialogs dialogs;
    TempDir dir;
    ORecordingFile file;
    const std::string path = dir.File("missing/c.экг");
    EXPECT_FALSE(CreateOutputFile(file, path));
    ASSERT_EQ(dialogs.Count(), 1u);
    const auto message = dialogs.Messages()[0];
    EXPECT_EQ(message.caption, "ОШИБКА");
    EXPECT_EQ(message.text.rfind("Не удалось создать результирующий файл " + path + "\n", 0), 0u);
    EXPECT_GT(message.text.size(), ("Не удалось создать результирующий файл " + path + "\n").size());
}

TEST(RecordingFile, FailedWriteLeavesOnlyWholeSectors)
{
    TempDir dir;
    ORecordingFile file;
    ASSERT_TRUE(file.Create(dir.File("d.экг")));
    // A file size limit in the middle of the second sector: the write stops
    // part way, and the partial sector must not stay in the file.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 700;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto s = Sector(0x33);
    const bool first = file.AppendSector(s.data());
    const bool second = file.AppendSector(s.data());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    file.Close();
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
    EXPECT_EQ(std::filesystem::file_size(dir.File("d.экг")), 512u);
}

TEST(RecordingFile, SaveDialogOffersTheDefaultName)
{
    TestDialogs dialogs;
    dialogs.QueueFile("/tmp/chosen.экг");
    EXPECT_EQ(ChooseRecordingFileName("2024.03.05, 07:08:09, 0x00010000"), "/tmp/chosen.экг");
    const auto request = dialogs.FileRequests().at(0);
    EXPECT_EQ(request.fileName, "ЭКГ_2024_03_05, 07_08_09, 0x00010000");
    EXPECT_EQ(request.title, "Выберите имя для сохранения ЭКГ - файла");
    EXPECT_EQ(request.defaultExt, "экг");
    ASSERT_EQ(request.filters.size(), 3u);
    EXPECT_EQ(request.filters[0].second, "*.экг");
    EXPECT_EQ(ChooseRecordingFileName("0x00010000"), ""); // cancelled
}
