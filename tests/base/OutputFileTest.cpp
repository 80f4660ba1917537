// Outputs written under their partial name and renamed once complete: what a
// reader finds under the final name after a commit, a cancel, a write error
// and a signal.
#include "OutputFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// Nothing but the named files in the folder (no partial file left).
std::vector<std::string> Names(const TempDir& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(OutputFile, FinalNameAppearsOnlyOnCommitAndReplacesTheOldFile)
{
    TempDir dir;
    const std::string path = dir.File("out.txt");
    WriteAll(path, "old");
    ::chmod(path.c_str(), 0640);
    {
        OOutputFile out(path);
        ASSERT_TRUE(out.IsOpen());
        EXPECT_TRUE(out.Write("new "));
        EXPECT_TRUE(out.Write("text"));
        // Meanwhile a reader still finds the old file whole.
        EXPECT_EQ(ReadAll(path), "old");
        EXPECT_TRUE(fs::exists(PartialPath(path)));
        EXPECT_TRUE(out.Commit());
    }
    EXPECT_EQ(ReadAll(path), "new text");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms(0640));
    EXPECT_EQ(Names(dir), std::vector<std::string>{"out.txt"});
}

// Destroyed without a commit, as when a cancel or an error ends the writing:
// the old file stays, a new one never appears, the partial file is gone.
TEST(OutputFile, CancelMidStreamLeavesNoPartialFile)
{
    TempDir dir;
    WriteAll(dir.File("old.txt"), "old");
    {
        OOutputFile replacing(dir.File("old.txt"));
        OOutputFile fresh(dir.File("new.txt"));
        EXPECT_TRUE(replacing.Write(std::string(100000, 'x')));
        EXPECT_TRUE(fresh.Write(std::string(100000, 'y')));
    }
    EXPECT_EQ(ReadAll(dir.File("old.txt")), "old");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"old.txt"});
}

// A file-size limit makes the writes fail as a full disk would.
TEST(OutputFile, WriteErrorFailsTheCommitAndLeavesNothing)
{
    TempDir dir;
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool wrote = true, committed = true;
    int error = 0;
    {
        OOutputFile out(dir.File("big.txt"));
        for (int i = 0; i < 100 && wrote; ++i)
            wrote = out.Write(std::string(1000, 'z'));
        committed = out.Commit();
        error = out.Error();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(committed);
    EXPECT_EQ(error, EFBIG);
    EXPECT_TRUE(Names(dir).empty());
}

TEST(OutputFile, FolderCannotBeOpenedAndALinkIsWrittenThrough)
{
    TempDir dir;
    fs::create_directory(dir.File("folder"));
    OOutputFile folder(dir.File("folder"));
    EXPECT_FALSE(folder.IsOpen());
    EXPECT_EQ(folder.Error(), EISDIR);
    EXPECT_FALSE(folder.Commit());

    WriteAll(dir.File("target.txt"), "old");
    fs::create_symlink("target.txt", dir.File("link.txt"));
    OOutputFile link(dir.File("link.txt"));
    EXPECT_TRUE(link.Write("through"));
    EXPECT_TRUE(link.Commit());
    EXPECT_TRUE(fs::is_symlink(dir.File("link.txt")));
    EXPECT_EQ(ReadAll(dir.File("target.txt")), "through");

    // A device is written directly, never renamed over.
    OOutputFile device("/dev/null");
    EXPECT_TRUE(device.Write("gone"));
    EXPECT_TRUE(device.Commit());
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// Ctrl+C while writing: the program ends by the signal as it would have,
// and its partial files (its own and those it was told of) are gone.
TEST(OutputFileDeathTest, SignalRemovesThePartialFiles)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child writes into this test's folder
    TempDir dir;
    const std::string path = dir.File("out.txt");
    const std::string edf = PartialPath(dir.File("out.edf"));
    EXPECT_EXIT(
        {
            RemovePartialFilesOnSignals();
            OOutputFile out(path);
            out.Write(std::string(100000, 'x'));
            WriteAll(edf, "other writer");
            const OPartialFileGuard guard(edf);
            WriteAll(dir.File("kept.txt"), "no partial file");
            std::raise(SIGINT);
        },
        testing::KilledBySignal(SIGINT), "");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"kept.txt"});
}

// A signal the program was started with ignored stays ignored.
TEST(OutputFileDeathTest, IgnoredSignalStaysIgnored)
{
    GTEST_FLAG_SET(death_test_style, "fast"); // the child writes into this test's folder
    TempDir dir;
    EXPECT_EXIT(
        {
            std::signal(SIGHUP, SIG_IGN);
            RemovePartialFilesOnSignals();
            OOutputFile out(dir.File("out.txt"));
            out.Write("whole");
            std::raise(SIGHUP);
            std::exit(out.Commit() ? 3 : 4);
        },
        testing::ExitedWithCode(3), "");
    EXPECT_EQ(ReadAll(dir.File("out.txt")), "whole");
}

} // namespace
