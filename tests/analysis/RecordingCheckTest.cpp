// The file check beside the analysis: what it finds in damaged recordings,
// and that a sound one gives no finding.
#include "AnalysisFixtures.h"
#include "OEKGFilter.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "RecordingCheck.h"
#include "SectorDecoders.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

constexpr int kSectors = 40;

void AddToField(std::vector<uint8_t>& bytes, int offset, int fromSector, uint32_t amount)
{
    for (int k = fromSector; k < kSectors; ++k) {
        uint8_t* field = bytes.data() + 512 * k + offset;
        const uint32_t value = SectorU32(field, 0) + amount;
        for (int i = 0; i < 4; ++i)
            field[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

ORecordingCheck CheckOf(const std::vector<uint8_t>& bytes)
{
    TempDir dir;
    TestDialogs dialogs;
    WriteFileBytes(dir.File("check.экг"), bytes);
    OEcgFile file;
    EXPECT_TRUE(file.OpenEcgFile(dir.File("check.экг"), true));
    return CheckRecordingSectors(file);
}

// The check of a processing pass over the file (nothing when the pass was
// cancelled before it began).
std::optional<ORecordingCheck> PassCheckOf(const std::vector<uint8_t>& bytes, bool cancel = false)
{
    TempDir dir;
    TestDialogs dialogs;
    WriteFileBytes(dir.File("pass.экг"), bytes);
    OEcgFile file;
    EXPECT_TRUE(file.OpenEcgFile(dir.File("pass.экг"), true));
    EXPECT_FALSE(file.PassCheck().has_value()) << "no check before a pass";
    OEKGFilter filter;
    OProcessControl control;
    control.cancel.store(cancel ? 1 : 0);
    ProcessFile(file, filter, control);
    return file.PassCheck();
}

// A cancelled pass read only part of the file: it leaves no check, rather
// than one that takes the part for the whole.
TEST(RecordingCheck, CancelledPassLeavesNoCheck)
{
    EXPECT_FALSE(PassCheckOf(MakeRecording(ORecordingOptions{}, kSectors), true).has_value());
    EXPECT_TRUE(PassCheckOf(MakeRecording(ORecordingOptions{}, kSectors), false).has_value());
}

TEST(RecordingCheck, FindingsOfDamagedRecordings)
{
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        int64_t withoutSignature, firstWithoutSignature, numberBreaks, firstNumberBreak, tickBreaks, firstTickBreak;
    };
    const Case cases[] = {
        {"sound", [](std::vector<uint8_t>&) {}, 0, -1, 0, -1, 0, -1},
        // Unsigned sectors are skipped: the sectors around them still follow.
        {"two sectors without signature",
         [](std::vector<uint8_t>& b) {
             std::fill(b.begin() + 512 * 7, b.begin() + 512 * 8, 0);
             b[512 * 20 + 3] = 0;
         },
         2, 7, 0, -1, 0, -1},
        {"sectors missing from 12 on", [](std::vector<uint8_t>& b) { AddToField(b, 8, 12, 100); }, 0, -1, 1, 12, 0, -1},
        {"one sector number wrong", [](std::vector<uint8_t>& b) { AddToField(b, 8, 5, 1), AddToField(b, 8, 6, -1u); },
         0, -1, 2, 5, 0, -1},
        {"ticks jump at 30", [](std::vector<uint8_t>& b) { AddToField(b, 12, 30, 2341); }, 0, -1, 0, -1, 1, 30},
        {"first sector without signature", [](std::vector<uint8_t>& b) { b[0] = 0; }, 1, 0, 0, -1, 0, -1},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = MakeRecording(ORecordingOptions{}, kSectors);
        c.damage(bytes);
        const ORecordingCheck check = CheckOf(bytes);
        // The processing pass checks the sectors it reads, alike.
        const std::optional<ORecordingCheck> passCheck = PassCheckOf(bytes);
        ASSERT_TRUE(passCheck.has_value()) << c.what;
        EXPECT_EQ(passCheck->Lines(), check.Lines()) << c.what;
        EXPECT_EQ(passCheck->sectors, check.sectors) << c.what;
        EXPECT_EQ(check.sectors, kSectors) << c.what;
        EXPECT_EQ(check.withoutSignature, c.withoutSignature) << c.what;
        EXPECT_EQ(check.firstWithoutSignature, c.firstWithoutSignature) << c.what;
        EXPECT_EQ(check.numberBreaks, c.numberBreaks) << c.what;
        EXPECT_EQ(check.firstNumberBreak, c.firstNumberBreak) << c.what;
        EXPECT_EQ(check.tickBreaks, c.tickBreaks) << c.what;
        EXPECT_EQ(check.firstTickBreak, c.firstTickBreak) << c.what;
        EXPECT_EQ(check.Ok(), check.Lines().empty()) << c.what;
        EXPECT_EQ(check.Lines().size(), check.CliLines().size()) << c.what;
    }
}

TEST(RecordingCheck, LinesSayWhatIsWrong)
{
    std::mt19937 random(5);
    std::vector<uint8_t> bytes(512 * kSectors);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    const ORecordingCheck check = CheckOf(bytes);
    EXPECT_EQ(check.Lines(), std::vector<std::string>{"Секторов без сигнатуры записи: 40 из 40, первый - сектор 0"});
    EXPECT_EQ(check.CliLines(),
              std::vector<std::string>{"check: 40 of 40 sectors without the recording signature, first: sector 0"});

    std::vector<uint8_t> shifted = MakeRecording(ORecordingOptions{}, kSectors);
    AddToField(shifted, 8, 3, 7);
    AddToField(shifted, 12, 4, 1);
    EXPECT_EQ(CheckOf(shifted).Lines(),
              (std::vector<std::string>{"Нарушена последовательность номеров секторов: 1 раз, впервые в секторе 3",
                                        "Нарушена последовательность отсчетов времени: 1 раз, впервые в секторе 4"}));
}

} // namespace
