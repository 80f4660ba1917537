#include "DateCache.h"
#include "RecordingRows.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

TEST(RecordingRows, WholeLowerHalfOfTheCardReadsAsThePcShowsIt)
{
    const RecordingRow row = RecordingEntryRow(1, 0x10000, 0x1FFFF, "", 0);
    EXPECT_EQ(row, (RecordingRow{"1", "0x10000", "0x1ffff", "33554432", "15703.5", "", ""}));
}

TEST(RecordingRows, FirstGapAndStopRows)
{
    EXPECT_EQ(FirstFreeRow(0x10000), (RecordingRow{" ", "0x10000", "", "", "", "", ""}));
    EXPECT_EQ(RecordingEntryRow(2, 0x20000, 0x20000, "2024.03.05, 07:08:09", 10)[6], "пропуск 0xa");
    EXPECT_EQ(RecordingEntryRow(2, 0x20000, 0x20000, "", 0)[4], "0.2");
    EXPECT_EQ(StopRow(), (RecordingRow{"стоп", "", "", "", "", "", ""}));
}

TEST(RecordingRows, SizeAboveTwoGigabytesIsNotWrapped)
{
    // 8 Mi sectors = 4 GiB: a 32-bit "%d" would show 0.
    EXPECT_EQ(RecordingEntryRow(1, 0x10000, 0x10000 + 8 * 1024 * 1024 - 1, "", 0)[3], "4294967296");
}

TEST(RecordingRows, DownloadRangeAndDefaultName)
{
    const auto range = RowDownloadRange({"1", "0x10000", "0x10001", "1024", "0.5", "2024.03.05, 07:08:09", ""});
    ASSERT_TRUE(range);
    EXPECT_EQ(range->start, 0x10000u);
    EXPECT_EQ(range->total, 2u);
    EXPECT_EQ(range->suffix, "2024.03.05, 07:08:09, 0x00010000");
    EXPECT_EQ(DefaultRecordingFileName(range->suffix), "ЭКГ_2024_03_05, 07_08_09, 0x00010000");

    // The first row: no last sector, so the total is unknown.
    const auto first = RowDownloadRange(FirstFreeRow(0x20000));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->total, 0u);
    EXPECT_EQ(DefaultRecordingFileName(first->suffix), "ЭКГ_0x00020000");

    EXPECT_FALSE(RowDownloadRange(StopRow()));
}

TEST(DateCache, FileTimeToCalendarText)
{
    // 2024-03-05 07:08:09 counted in 100 ns intervals since 1601.
    const int64_t seconds = (19787LL * 86400 + 7 * 3600 + 8 * 60 + 9) + 11644473600LL;
    EXPECT_EQ(FileTimeText(seconds * 10000000 + 1234567), "2024.03.05, 07:08:09");
    EXPECT_EQ(FileTimeText(0), "1601.01.01, 00:00:00");
    EXPECT_EQ(FileTimeText(-5), "");
    EXPECT_EQ(FileTimeText(LocalFileTimeNow()).size(), 20u);
}

TEST(DateCache, ReadsBothFoldersAndIgnoresZero)
{
    TempDir dir;
    const std::string user = dir.File("user/DATECACHE"), beside = dir.File("exe/DATECACHE");
    SetDateCacheFolders(user, beside);
    EXPECT_EQ(DateCacheFileName(user, 0x1abcd), user + "/Данные_на_0x0001abcd.txt");

    ASSERT_TRUE(WriteDateCache(0x10000, 133000000000000000LL, 17));
    std::FILE* f = std::fopen(DateCacheFileName(user, 0x10000).c_str(), "r");
    ASSERT_TRUE(f);
    char text[64] = {};
    std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    EXPECT_STREQ(text, "133000000000000000   17");
    EXPECT_EQ(LookUpStartTime(0x10000), 133000000000000000LL);

    // Left beside the executable by an older version: still found.
    std::filesystem::create_directories(beside);
    f = std::fopen(DateCacheFileName(beside, 0x20000).c_str(), "w");
    std::fputs("132000000000000000   5", f);
    std::fclose(f);
    EXPECT_EQ(LookUpStartTime(0x20000), 132000000000000000LL);

    // 0 and junk mean no start time.
    f = std::fopen(DateCacheFileName(user, 0x30000).c_str(), "w");
    std::fputs("0   17", f);
    std::fclose(f);
    EXPECT_FALSE(LookUpStartTime(0x30000));
    f = std::fopen(DateCacheFileName(user, 0x40000).c_str(), "w");
    std::fputs("abc", f);
    std::fclose(f);
    EXPECT_FALSE(LookUpStartTime(0x40000));
    EXPECT_FALSE(LookUpStartTime(0x50000));
    SetDateCacheFolders("", "");
}

TEST(DateCache, WritesOnlyIntoThePerUserFolder)
{
    TempDir dir;
    const std::string user = dir.File("user/DATECACHE"), beside = dir.File("exe/DATECACHE");
    std::filesystem::create_directories(beside); // writable, yet never written
    SetDateCacheFolders(user, beside);
    ASSERT_TRUE(WriteDateCache(0x10000, 42, 1));
    EXPECT_TRUE(std::filesystem::exists(DateCacheFileName(user, 0x10000)));
    EXPECT_TRUE(std::filesystem::is_empty(beside));
    EXPECT_EQ(LookUpStartTime(0x10000), 42);

    // A file in the way of the per-user folder: the write fails, and nothing
    // lands beside the executable instead.
    std::FILE* blocker = std::fopen(dir.File("blocked").c_str(), "w");
    std::fclose(blocker);
    SetDateCacheFolders(dir.File("blocked/DATECACHE"), beside);
    EXPECT_FALSE(WriteDateCache(0x20000, 43, 1));
    EXPECT_TRUE(std::filesystem::is_empty(beside));

    // The default per-user folder follows XDG_DATA_HOME.
    SetDateCacheFolders("", "");
    EXPECT_EQ(DateCacheFolders().front(),
              std::string(std::getenv("XDG_DATA_HOME")) + "/Kelvaro/Terravik_Dremlo/DATECACHE");
}
