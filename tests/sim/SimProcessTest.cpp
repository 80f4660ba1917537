// brenna-sim and brenna-cli as separate programs on one pseudo-terminal.
#include "SimProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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
    const ProgramResult stop = RunProgram(cli + port + " stop");
    EXPECT_EQ(stop.exitCode, 0);
    EXPECT_EQ(stop.out, "STOP-OK\n");
    // Through the link, after the first client closed the terminal.
    const ProgramResult firstFree = RunProgram(cli + link + " first-free");
    EXPECT_EQ(firstFree.exitCode, 0);
    EXPECT_EQ(firstFree.out, "0x10000\n");
    // Destructive commands need --yes.
    EXPECT_EQ(RunProgram(cli + link + " first-free --set 20000").exitCode, 1);
    EXPECT_EQ(RunProgram(cli + link + " first-free").out, "0x10000\n");
    const ProgramResult set = RunProgram(cli + link + " first-free --set 20000 --yes");
    EXPECT_EQ(set.exitCode, 0);
    EXPECT_EQ(set.out, "0x20000\n");
    const ProgramResult format = RunProgram(cli + link + " format --yes");
    EXPECT_EQ(format.exitCode, 0);
    EXPECT_EQ(format.out, "0x10000\n");
    const ProgramResult read = RunProgram(cli + link + " read-sector 0x10000 --len 4");
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
    const ProgramResult stop = RunProgram(bin + "/brenna-cli --port " + port + " stop");
    EXPECT_EQ(stop.exitCode, 1);
    EXPECT_EQ(stop.out, "");
    EXPECT_EQ(sim.Terminate(), 0);
}
