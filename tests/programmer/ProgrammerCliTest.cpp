// brenna-cli's firmware commands against the simulated monitor, with a real
// firmware file assembled by gpasm.
#include "ConsoleCapture.h"
#include "IntelHex.h"
#include "MonitorOnPty.h"
#include "SimProcess.h"
#include "StrFormat.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <vector>

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

CliRun RunCli(const TempDir& dir, const std::string& arguments)
{
    const std::string command = StrFormat("'%s' %s > '%s' 2> '%s'", BRENNA_CLI_PATH, arguments.c_str(),
                                          dir.File("out.txt").c_str(), dir.File("err.txt").c_str());
    CliRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(dir.File("out.txt"));
    run.err = ReadFile(dir.File("err.txt"));
    return run;
}

// A small program placed above the monitor's protected words, a data table,
// and the configuration word (which lies outside program memory).
const char* const kFirmware = R"(        #include <p16f873a.inc>
        errorlevel -302
        __CONFIG _CP_OFF & _WDT_OFF & _HS_OSC & _LVP_OFF
        org 0x100
start   bsf STATUS, RP0
        clrf TRISB
        bcf STATUS, RP0
loop    incf PORTB, f
        goto loop
        org 0x7F0
        dw 0x1234, 0x3FFF, 0x0000
        end
)";

#ifdef BRENNA_SIM_PATH
// Makes a small card in the folder; returns the command line serving it.
std::vector<std::string> ServeSmallCard(const TempDir& dir, const std::vector<std::string>& options)
{
    const std::string card = dir.File("card.img");
    const std::string make = StrFormat("'%s' make-card '%s' --size 1M", BRENNA_SIM_PATH, card.c_str());
    if (std::system(make.c_str()) != 0)
        return {};
    std::vector<std::string> words = {BRENNA_SIM_PATH, "serve", card, "--fast"};
    words.insert(words.end(), options.begin(), options.end());
    return words;
}
#endif

} // namespace

#ifdef BRENNA_SIM_PATH
TEST(ProgrammerCli, ThroughTheSimulatorWithItsMonitorFaults)
{
    TempDir dir;
    std::ofstream(dir.File("fw.hex")) << ":040200000120831640\n:00000001FF\n";
    struct Case {
        std::vector<std::string> options;
        const char* command; // %s is the test's folder
        int exitCode;
        const char* says; // on standard error
    };
    const Case cases[] = {
        {{}, "flash '%s/fw.hex' --yes", 0, "Все в порядке, данные одинаковы !"},
        {{"--protect", "none"}, "flash '%s/fw.hex' --yes", 0, "защищено = 0\n"},
        {{"--fault", "monitor-bad-reply"}, "flash '%s/fw.hex' --yes", 1, "Ошибка при записи - неверный ответ !"},
        {{"--fault", "monitor-silent-after", "5"}, "read-flash '%s/out.hex'", 1, "Ошибка при считывании !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.empty() ? "no options" : c.options.back());
        SimProcess sim(ServeSmallCard(dir, c.options));
        ASSERT_FALSE(sim.Port().empty());
        std::string command = c.command;
        command.replace(command.find("%s"), 2, dir.Path());
        const CliRun run = RunCli(dir, "--reply-timeout=3000 --port '" + sim.Port() + "' " + command);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
}
#endif

TEST(ProgrammerCli, FlashReadBackAndRunAnAssembledFirmware)
{
    if (std::system("command -v gpasm > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "gpasm (Debian package gputils) is not installed: the assembled firmware test is skipped";
    TempDir dir;
    std::ofstream(dir.File("fw.asm")) << kFirmware;
    const std::string assemble = StrFormat("cd '%s' && gpasm -p p16f873a fw.asm > gpasm.txt 2>&1", dir.Path().c_str());
    ASSERT_EQ(std::system(assemble.c_str()), 0) << ReadFile(dir.File("gpasm.txt"));

    MonitorOnPty monitor;
    // A loaded test machine may hold a reply back longer than the monitor's 100 ms.
    const std::string port = "--reply-timeout=5000 --port '" + monitor.SlavePath() + "' ";

    const CliRun refused = RunCli(dir, port + "flash fw.hex");
    EXPECT_EQ(refused.exitCode, 1);
    monitor.With([](OSimMonitor& m) { EXPECT_EQ(m.Answered(), 0); });

    const CliRun flash = RunCli(dir, port + "flash '" + dir.File("fw.hex") + "' --yes");
    EXPECT_EQ(flash.exitCode, 0) << flash.err;
    EXPECT_EQ(flash.out, "written 4096 words, 256 protected\nFLASH-OK\n");
    EXPECT_NE(flash.err.find("Adr = 400E вне диапазона, sz = 2"), std::string::npos) << flash.err;
    EXPECT_NE(flash.err.find("Все в порядке, данные одинаковы !"), std::string::npos) << flash.err;
    monitor.With([](OSimMonitor& m) {
        EXPECT_EQ(m.Word(0x100), 0x1683); // bsf STATUS, RP0
        EXPECT_EQ(m.Word(0x101), 0x0186); // clrf TRISB
        EXPECT_EQ(m.Word(0x104), 0x2903); // goto loop
        EXPECT_EQ(m.Word(0x7F0), 0x1234);
        EXPECT_EQ(m.Word(0x7F2), 0x0000);
    });

    const CliRun read = RunCli(dir, port + "read-flash '" + dir.File("back.hex") + "'");
    EXPECT_EQ(read.exitCode, 0) << read.err;
    OProgramImage expected = ErasedImage();
    OProgramImage back = ErasedImage();
    {
        ConsoleCapture quiet;
        LoadHexFile(dir.File("fw.hex"), expected);
        EXPECT_EQ(LoadHexFile(dir.File("back.hex"), back).badChecksums, 0);
    }
    for (int w = 0; w < kProgramWords; ++w)
        ASSERT_EQ(ImageWord(back, w), ImageWord(expected, w)) << "word " << w;

    const CliRun verify = RunCli(dir, port + "verify '" + dir.File("fw.hex") + "'");
    EXPECT_EQ(verify.exitCode, 0) << verify.err;
    EXPECT_EQ(verify.out, "VERIFY-OK\n");
    monitor.With([](OSimMonitor& m) { m.SetWord(0x102, 0x1283 ^ 0x0100); });
    const CliRun differs = RunCli(dir, port + "verify '" + dir.File("fw.hex") + "'");
    EXPECT_EQ(differs.exitCode, 1);
    EXPECT_EQ(differs.out, "DIFFERS at byte 517\n");

    const CliRun run = RunCli(dir, port + "run");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    monitor.With([](OSimMonitor& m) { EXPECT_TRUE(m.Running()); });
}
