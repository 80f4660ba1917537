// The recording list against the simulated device.
#include "DateCache.h"
#include "ScanRecordings.h"
#include "SimCardFixture.h"

#include <cstdio>
#include <filesystem>

namespace {

class ScanFixture : public SimCardFixture {
protected:
    std::vector<RecordingRow> Scan(uint32_t firstFree, std::atomic<int>* state = nullptr)
    {
        std::atomic<int> running{kScanRunning};
        std::atomic<int>& s = state ? *state : running;
        std::vector<RecordingRow> rows;
        m_Result = ScanRecordings(*m_Device, firstFree, s, [&](const RecordingRow& r) {
            rows.push_back(r);
            if (m_CancelAfterRows && rows.size() == m_CancelAfterRows)
                s.store(kScanCancelRequested);
        });
        return rows;
    }
    ScanResult m_Result;
    size_t m_CancelAfterRows = 0;
};

void WriteCacheFile(const std::string& folder, uint32_t first, const char* text)
{
    std::filesystem::create_directories(folder);
    std::FILE* f = std::fopen(DateCacheFileName(folder, first).c_str(), "w");
    std::fputs(text, f);
    std::fclose(f);
}

} // namespace

TEST_F(ScanFixture, EmptyCardShowsOnlyTheFirstRow)
{
    Serve();
    EXPECT_EQ(Scan(0x10000), (std::vector<RecordingRow>{FirstFreeRow(0x10000)}));
    EXPECT_FALSE(m_Result.cancelled);
}

TEST_F(ScanFixture, WholeLowerHalfIsOneRecording)
{
    WriteRecording(0x10000, 0x1FFFF);
    Serve();
    const auto rows = Scan(0x20000);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], (RecordingRow{"1", "0x10000", "0x1ffff", "33554432", "15703.5", "", ""}));
    EXPECT_EQ(m_Result.readErrorText, "");
}

TEST_F(ScanFixture, GapsOneSectorRecordingAndStartTimes)
{
    // Oldest first: 0x10000..0x10FFF, ten unwritten sectors, 0x1100A..0x1140A,
    // then a one-sector recording just below the first free sector.
    WriteRecording(0x10000, 0x10FFF);
    WriteRecording(0x1100A, 0x1140A);
    WriteRecording(0x1140B, 0x1140B);
    const std::string cache = m_Dir.File("DATECACHE");
    SetDateCacheFolders(cache, m_Dir.File("user"));
    // 2024-03-05 07:08:09 as a file time; the other recording's entry holds 0.
    WriteCacheFile(cache, 0x1100A, "133540960890000000   17");
    WriteCacheFile(cache, 0x10000, "0   17");
    Serve();
    const auto rows = Scan(0x1140C);
    SetDateCacheFolders("", "");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1], (RecordingRow{"1", "0x1140b", "0x1140b", "512", "0.2", "", ""}));
    EXPECT_EQ(rows[2][1], "0x1100a");
    EXPECT_EQ(rows[2][2], "0x1140a");
    EXPECT_EQ(rows[2][5], "2024.03.05, 07:08:09");
    EXPECT_EQ(rows[2][6], "");
    EXPECT_EQ(rows[3], (RecordingRow{"3", "0x10000", "0x10fff", "2097152", "981.5", "", "пропуск 0xa"}));
}

TEST_F(ScanFixture, InconsistentMiddleSectorHidesTheRecording)
{
    WriteRecording(0x10000, 0x100FF);
    WriteRecording(0x10100, 0x101FF);
    // The newer recording's middle sector claims another start: that recording
    // is not listed, and the probes go on just above the middle sector, where
    // the older recording's start is found.
    auto bad = RecordingSector(0x10000, 0x1017F);
    ASSERT_TRUE(m_Card.WriteSector(0x1017F, bad.data()));
    Serve();
    const auto rows = Scan(0x10200);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], (RecordingRow{"1", "0x10000", "0x1017f", "196608", "92.0", "", "пропуск 0x80"}));
}

TEST_F(ScanFixture, CancelEndsWithTheStopRow)
{
    WriteRecording(0x10000, 0x100FF);
    WriteRecording(0x10100, 0x101FF);
    Serve();
    std::atomic<int> state{kScanRunning};
    m_CancelAfterRows = 2; // cancel once the newest recording is listed
    const auto rows = Scan(0x10200, &state);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][1], "0x10100");
    EXPECT_EQ(rows[2], StopRow());
    EXPECT_TRUE(m_Result.cancelled);

    // Cancelled before the first probe: only the first row and "стоп".
    std::atomic<int> cancelled{kScanCancelRequested};
    m_CancelAfterRows = 0;
    EXPECT_EQ(Scan(0x10200, &cancelled), (std::vector<RecordingRow>{FirstFreeRow(0x10200), StopRow()}));
}

// Short recordings that the doubling probes jump over are found in the gaps
// the scan reads sector by sector.
TEST_F(ScanFixture, ShortRecordingsInGapsAreListed)
{
    struct Recording {
        uint32_t sectors, unwrittenAfter;
    };
    struct Case {
        const char* name;
        uint32_t from;                     // the oldest recording's first sector
        std::vector<Recording> recordings; // oldest first
        std::vector<RecordingRow> rows;
    };
    const Case cases[] = {
        {"below a longer one",
         0x10000,
         {{300, 10}, {3000, 20}, {2, 5}, {50, 3}},
         {FirstFreeRow(0x10d3e), RecordingEntryRow(1, 0x10d09, 0x10d3a, "", 3),
          RecordingEntryRow(2, 0x10d02, 0x10d03, "", 5), RecordingEntryRow(3, 0x10136, 0x10ced, "", 0x14),
          RecordingEntryRow(4, 0x10000, 0x1012b, "", 10)}},
        {"the oldest, with nothing below it",
         0x10004,
         {{2, 5}, {100, 0}},
         {FirstFreeRow(0x1006f), RecordingEntryRow(1, 0x1000b, 0x1006e, "", 0),
          RecordingEntryRow(2, 0x10004, 0x10005, "", 5)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        ASSERT_TRUE(OSimCard::Create(CardPath(), 256ull * 1024 * 1024, error)) << error;
        ASSERT_TRUE(m_Card.Open(CardPath(), error)) << error;
        uint32_t next = c.from;
        for (const Recording& r : c.recordings) {
            WriteRecording(next, next + r.sectors - 1);
            next += r.sectors + r.unwrittenAfter;
        }
        Serve();
        EXPECT_EQ(Scan(next), c.rows);
        m_Port->Close();
        m_Server->Stop();
    }
}

// A device that falls silent or a line that goes away during the scan ends it
// there: the rows found are the whole list's, the last row says which sectors
// were not read, and no unanswered read turns into a gap or a missed recording.
TEST_F(ScanFixture, LostDeviceEndsTheListWithWhatItDidNotRead)
{
    // Oldest first, with gaps and a short recording the probes jump over.
    WriteRecording(0x10000, 0x1012b);
    WriteRecording(0x10136, 0x10ced);
    WriteRecording(0x10d02, 0x10d03);
    WriteRecording(0x10d09, 0x10d3a);
    constexpr uint32_t kFirstFree = 0x10d3e;
    Serve();
    const auto whole = Scan(kFirstFree);
    ASSERT_EQ(whole.size(), 5u);
    ASSERT_FALSE(m_Result.incomplete);
    TearDown();

    // A short read's reply is 11 bytes: the fault comes inside a reply or
    // between two, at the first read, early, midway and late in the scan.
    // (A hang-up before the first reply would close the line before the
    // port is open.)
    for (const bool hangup : {false, true}) {
        for (const int64_t bytes : {0, 5, 11, 60, 130, 290, 500}) {
            if (hangup && bytes == 0)
                continue;
            SCOPED_TRACE((hangup ? "hang-up after " : "stall after ") + std::to_string(bytes));
            SimFaults faults;
            (hangup ? faults.hangupAfter : faults.stallAfter) = bytes;
            Serve(faults);
            const auto rows = Scan(kFirstFree);
            TearDown();
            EXPECT_TRUE(m_Result.incomplete);
            EXPECT_FALSE(m_Result.cancelled);
            EXPECT_FALSE(m_Result.readErrorText.empty());
            ASSERT_GE(rows.size(), 2u);
            ASSERT_LT(rows.size(), whole.size() + 1);
            for (size_t i = 0; i + 1 < rows.size(); ++i)
                EXPECT_EQ(rows[i], whole[i]) << i;
            // Below the oldest recording listed, or below the first free sector.
            const uint32_t boundary = uint32_t(std::stoul(rows[rows.size() - 2][1], nullptr, 16));
            EXPECT_EQ(m_Result.unreadBelow, boundary);
            EXPECT_EQ(rows.back(), IncompleteListRow(boundary));
            EXPECT_EQ(m_Result.recordings, int(rows.size()) - 2);
        }
    }
}

TEST_F(ScanFixture, IncompleteListRowAndText)
{
    EXPECT_EQ(IncompleteListRow(0x10d02),
              (RecordingRow{"обрыв", "", "", "", "", "", "не прочитано: 0x10000..0x10d01"}));
    ScanResult result;
    EXPECT_EQ(IncompleteListText(result), "");
    result.incomplete = true;
    result.unreadBelow = 0x10d02;
    EXPECT_EQ(IncompleteListText(result), "Список неполон: устройство перестало отвечать, сектора с 0x10000 по 0x10d01 "
                                          "не прочитаны (это не свободное место)");
}
