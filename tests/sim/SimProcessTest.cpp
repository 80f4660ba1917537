// brenna-sim and brenna-cli as separate programs on one pseudo-terminal.
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
};

// Runs a program to its end and collects its standard output.
Result RunProgram(const std::string& command)
{
    Result result;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[256];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// brenna-sim serve, running until stopped; PortLine() is its first line.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args)
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (::posix_spawn(&m_Pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_Pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        m_Out = ::fdopen(fds[0], "r");
    }
    ~SimProcess()
    {
        if (m_Pid > 0) {
            ::kill(m_Pid, SIGKILL);
            ::waitpid(m_Pid, nullptr, 0);
        }
        if (m_Out)
            std::fclose(m_Out);
    }
    std::string PortLine()
    {
        char line[256] = {};
        if (!m_Out || !std::fgets(line, sizeof line, m_Out))
            return {};
        std::string text = line;
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text;
    }
    // Sends SIGTERM and returns the exit code.
    int Terminate()
    {
        ::kill(m_Pid, SIGTERM);
        int status = 0;
        ::waitpid(m_Pid, &status, 0);
        m_Pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_Pid = -1;
    FILE* m_Out = nullptr;
};

// The built programs: from the test environment, or beside this test's build
// folder when the environment does not say.
std::string BinFolder()
{
    const std::string fromEnvironment = TestBinFolder();
    if (::access((fromEnvironment + "/brenna-sim").c_str(), X_OK) == 0)
        return fromEnvironment;
    char self[4096] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder(self, n > 0 ? size_t(n) : 0);
    for (int up = 0; up < 3 && !folder.empty(); ++up)
        folder = folder.substr(0, folder.rfind('/'));
    return folder + "/bin";
}

} // namespace

TEST(SimProcess, ServeAndTalkThroughTheCommandLine)
{
    TempDir dir;
    const std::string bin = BinFolder();
    const std::string card = dir.File("card.img");
    ASSERT_EQ(RunProgram(bin + "/brenna-sim make-card " + card + " --size 64M").exitCode, 0);
    struct stat info {};
    ASSERT_EQ(::stat(card.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 64 * 1024 * 1024);

    const std::string link = dir.File("port");
    SimProcess sim({bin + "/brenna-sim", "serve", card, "--link", link});
    const std::string portLine = sim.PortLine();
    ASSERT_EQ(portLine.rfind("PORT /dev/", 0), 0u) << portLine;
    const std::string port = portLine.substr(5);

    const std::string cli = bin + "/brenna-cli --port ";
    const Result stop = RunProgram(cli + port + " stop");
    EXPECT_EQ(stop.exitCode, 0);
    EXPECT_EQ(stop.out, "STOP-OK\n");
    // Through the link, after the first client closed the terminal.
    const Result firstFree = RunProgram(cli + link + " first-free");
    EXPECT_EQ(firstFree.exitCode, 0);
    EXPECT_EQ(firstFree.out, "0x10000\n");
    // Destructive commands need --yes.
    EXPECT_EQ(RunProgram(cli + link + " first-free --set 20000").exitCode, 1);
    EXPECT_EQ(RunProgram(cli + link + " first-free").out, "0x10000\n");
    const Result set = RunProgram(cli + link + " first-free --set 20000 --yes");
    EXPECT_EQ(set.exitCode, 0);
    EXPECT_EQ(set.out, "0x20000\n");
    const Result format = RunProgram(cli + link + " format --yes");
    EXPECT_EQ(format.exitCode, 0);
    EXPECT_EQ(format.out, "0x10000\n");
    const Result read = RunProgram(cli + link + " read-sector 0x10000 --len 4");
    EXPECT_EQ(read.exitCode, 0);
    EXPECT_EQ(read.out, "0000: 00 00 00 00\n");
    EXPECT_EQ(RunProgram(cli + link + " read-sector 0x20000").exitCode, 1);

    EXPECT_EQ(sim.Terminate(), 0);
    EXPECT_NE(::access(link.c_str(), F_OK), 0) << "the link goes with the simulator";
}

TEST(SimProcess, SilentDeviceMakesStopFail)
{
    TempDir dir;
    const std::string bin = BinFolder();
    const std::string card = dir.File("card.img");
    ASSERT_EQ(RunProgram(bin + "/brenna-sim make-card " + card + " --size 1M").exitCode, 0);
    SimProcess sim({bin + "/brenna-sim", "serve", card, "--fault", "silent", "--fast"});
    const std::string port = sim.PortLine().substr(5);
    const Result stop = RunProgram(bin + "/brenna-cli --port " + port + " stop");
    EXPECT_EQ(stop.exitCode, 1);
    EXPECT_EQ(stop.out, "");
    EXPECT_EQ(sim.Terminate(), 0);
}
