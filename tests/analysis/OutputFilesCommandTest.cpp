// The command line's output files appear whole or not at all: a write error
// (a file-size limit standing in for a full disk) and Ctrl+C in the middle
// of writing leave neither a partial output nor its partial file.
#include "AnalysisFixtures.h"
#include "CliProgram.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The names in the folder, but the settings folder.
std::set<std::string> Names(const TempDir& dir)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        if (entry.path().filename() != "config")
            names.insert(entry.path().filename().string());
    return names;
}

bool AnyPartial(const TempDir& dir)
{
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        if (entry.path().extension() == ".part")
            return true;
    return false;
}

TEST(OutputFilesCommand, WriteErrorLeavesNoOutputFile)
{
    TempDir dir;
    ORecordingOptions options;
    options.ecg.seed = 4;
    WriteFileBytes(dir.File("r.экг"), MakeRecording(options, 2504)); // ten minutes

    // Each output is larger than the limit of 1 KiB, so its first block fails.
    const char* commands[] = {
        "analyse r.экг --peaks peaks.txt",
        "analyse r.экг --beats beats.tsv",
        "analyse r.экг --export",
#ifdef BRENNA_CLI_REPORT
        "report r.экг r.pdf --json r.json",
        "report r.экг r.pdf",
#endif
    };
    for (const char* command : commands) {
        const std::string line = "cd '" + dir.Path() + "' && ulimit -f 2 && trap '' XFSZ && XDG_CONFIG_HOME='" +
                                 dir.File("config") + "' '" + CliPath() + "' " + command + " >/dev/null 2>&1";
        const int status = std::system(line.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << command << ": " << status;
        EXPECT_EQ(Names(dir), std::set<std::string>{"r.экг"}) << command;
    }
}

// Started again and interrupted as soon as a partial file shows: whatever
// the moment, every output there is the whole one of an uninterrupted run.
TEST(OutputFilesCommand, InterruptMidStreamLeavesWholeFilesOrNone)
{
    TempDir reference, interrupted;
    ORecordingOptions options;
    options.ecg.seed = 6;
    const std::vector<uint8_t> bytes = MakeRecording(options, 15000); // an hour
    WriteFileBytes(reference.File("r.экг"), bytes);
    WriteFileBytes(interrupted.File("r.экг"), bytes);
    const std::vector<std::string> arguments = {"analyse", "r.экг",           "--export", "--peaks",
                                                "p.txt",   "--beats",         "b.tsv",    "--events",
                                                "e.tsv"};
    // Everything the child needs is made before the fork.
    const std::string cli = CliPath();
    std::vector<char*> argv{const_cast<char*>("brenna-cli")};
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = [&](const TempDir& dir) {
        const std::string settings = dir.File("config");
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int devNull = ::open("/dev/null", O_WRONLY);
            ::dup2(devNull, 1);
            ::dup2(devNull, 2);
            if (::chdir(dir.Path().c_str()) == 0 && ::setenv("XDG_CONFIG_HOME", settings.c_str(), 1) == 0)
                ::execv(cli.c_str(), argv.data());
            ::_exit(127);
        }
        return pid;
    };
    int status = 0;
    ASSERT_EQ(::waitpid(start(reference), &status, 0) > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
    const std::set<std::string> outputs = Names(reference);
    ASSERT_EQ(outputs.size(), 1u + 3 + 4);

    const pid_t pid = start(interrupted);
    bool sent = false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (::waitpid(pid, &status, WNOHANG) == 0 && std::chrono::steady_clock::now() < until) {
        if (!sent && AnyPartial(interrupted)) {
            ::kill(pid, SIGINT);
            sent = true;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (!sent) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    ASSERT_TRUE(sent) << "no partial file was seen";
    EXPECT_TRUE((WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) || (WIFEXITED(status) && WEXITSTATUS(status) == 0))
        << status;
    EXPECT_FALSE(AnyPartial(interrupted));
    for (const std::string& name : Names(interrupted)) {
        EXPECT_EQ(outputs.count(name), 1u) << name;
        EXPECT_EQ(ReadText(interrupted.File(name)), ReadText(reference.File(name))) << name;
    }
    RecordProperty("interrupted_outputs_left", int(Names(interrupted).size()) - 1);
}

} // namespace
