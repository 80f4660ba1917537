// The live stream end to end through the programs: brenna-sim records while
// brenna-cli shows the live status lines, then the recording is listed with
// the start time the live view put in the date cache, downloaded and analysed.
#include "SimProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    return fields;
}

} // namespace

TEST(LiveEndToEnd, RecordStopListDownloadAnalyse)
{
    TempDir dir;
    const std::string bin = BRENNA_BIN_DIR;
    const std::string card = dir.File("card.img");
    ASSERT_EQ(RunProgram(bin + "/brenna-sim make-card " + card + " --size 64M").exitCode, 0);
    SimProcess sim({bin + "/brenna-sim", "serve", card});
    ASSERT_FALSE(sim.Port().empty());
    // The programs keep their settings in the test's own folder.
    const std::string brennaCli =
        "XDG_CONFIG_HOME=" + dir.File("config") + " XDG_DATA_HOME=" + dir.File("data") + " " + bin + "/brenna-cli";
    const std::string cli = brennaCli + " --port " + sim.Port();

    // A first sector of its own, so that the date cache entry is this test's.
    ASSERT_EQ(RunProgram(cli + " first-free --set 1a2b0 --yes").out, "0x1a2b0\n");
    // The date cache goes into the per-user data folder, never beside the program.
    const std::string cacheFile = dir.File("data") + "/Kelvaro/Terravik_Dremlo/DATECACHE/Данные_на_0x0001a2b0.txt";
    const std::string besideProgram = bin + "/DATECACHE/Данные_на_0x0001a2b0.txt";
    std::filesystem::remove(besideProgram);

    const ProgramResult live = RunProgram(cli + " live --seconds 5 --stop");
    ASSERT_EQ(live.exitCode, 0) << live.out;
    const auto status = Lines(live.out);
    // About 20 packets in 5 s, one every 0.24 s; the date shows from the 11th on.
    ASSERT_GE(status.size(), 14u) << live.out;
    EXPECT_EQ(status.back(), "STOP-OK");
    for (size_t i = 0; i + 1 < status.size(); ++i) {
        EXPECT_EQ(status[i].rfind("ИДЕТ ЗАПИСЬ на SDv2 HC, ФАЙЛ=0x1a2b0, ПОЗ=0x", 0), 0u) << status[i];
        EXPECT_EQ(status[i].find("ВРЕМЯ 20") != std::string::npos, i >= 10) << status[i];
    }
    const std::string& last = status[status.size() - 2];
    const size_t dateAt = last.find("ВРЕМЯ ") + std::string("ВРЕМЯ ").size();
    const std::string date = last.substr(dateAt, std::string("2026.12.09, 23:05:01").size());
    EXPECT_TRUE(std::ifstream(cacheFile).good()) << cacheFile;
    EXPECT_FALSE(std::filesystem::exists(besideProgram));

    const ProgramResult list = RunProgram(cli + " list");
    ASSERT_EQ(list.exitCode, 0) << list.out;
    const auto rows = Lines(list.out);
    ASSERT_EQ(rows.size(), 3u) << list.out; // titles, first free sector, the recording
    const auto row = Fields(rows[2]);
    ASSERT_GE(row.size(), 6u) << rows[2];
    EXPECT_EQ(row[0], "1");
    EXPECT_EQ(row[1], "0x1a2b0");
    const uint32_t lastSector = std::stoul(row[2], nullptr, 16);
    const uint32_t sectors = lastSector - 0x1a2b0 + 1;
    EXPECT_GE(sectors, status.size() - 1) << "every packet shown was recorded";
    EXPECT_LE(sectors, status.size() + 1);
    EXPECT_EQ(row[5], date) << "start time from the date cache";

    const std::string file = dir.File("live.экг");
    ASSERT_EQ(RunProgram(cli + " download 1 " + file).exitCode, 0);
    EXPECT_EQ(std::filesystem::file_size(file), uintmax_t(sectors) * 512);

    const ProgramResult analysed = RunProgram(brennaCli + " analyse " + file);
    ASSERT_EQ(analysed.exitCode, 0) << analysed.out;
    EXPECT_NE(analysed.out.find("sectors: " + std::to_string(sectors) + "\n"), std::string::npos) << analysed.out;
    const size_t impulsesAt = analysed.out.find("impulses: ");
    ASSERT_NE(impulsesAt, std::string::npos);
    // The model beats at 70 per minute: a few beats in about 5 s.
    EXPECT_GE(std::stoi(analysed.out.substr(impulsesAt + 10)), 3) << analysed.out;
    std::filesystem::remove(cacheFile);
}

TEST(LiveEndToEnd, LineThatGoesAwayEndsTheLiveView)
{
    TempDir dir;
    const std::string bin = BRENNA_BIN_DIR;
    const std::string card = dir.File("card.img");
    ASSERT_EQ(RunProgram(bin + "/brenna-sim make-card " + card + " --size 64M").exitCode, 0);
    // Three live packets and part of a fourth, then the line goes away.
    SimProcess sim({bin + "/brenna-sim", "serve", card, "--fault", "hangup-after", std::to_string(3 * 515 + 100)});
    ASSERT_FALSE(sim.Port().empty());
    // Bounded, so that a live view that never ends fails instead of hanging.
    const ProgramResult live = RunProgram("XDG_CONFIG_HOME=" + dir.File("config") + " timeout 60 " + bin +
                                          "/brenna-cli --port " + sim.Port() + " live");
    EXPECT_EQ(live.exitCode, 1);
    EXPECT_LE(Lines(live.out).size(), 3u) << live.out;
}
