// The demo card's recordings and the truth file written beside it.
#include "DemoCard.h"
#include "OSimCard.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::vector<std::string>> ReadTsv(const std::string& path)
{
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::istringstream split(line);
        for (std::string cell; std::getline(split, cell, '\t');)
            cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

} // namespace

class DemoCardTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(OSimCard::Create(Card(), 64ull << 20, error)) << error;
        ASSERT_TRUE(WriteDemoCard(Card(), m_Layout, error)) << error;
    }
    std::string Card() const { return m_Dir.File("card.img"); }

    TempDir m_Dir;
    DemoLayout m_Layout;
};

TEST_F(DemoCardTest, TheNewestRecordingHoldsEctopyAndRhythmsAfterTheSinusOnes)
{
    ASSERT_EQ(m_Layout.recordings.size(), 4u);
    // The older recordings stay where tests and benchmarks expect them.
    const uint32_t firsts[] = {0x10000, 0x109d2, 0x10bc7, 0x10bc8};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(m_Layout.recordings[i].first, firsts[i]) << i;
    EXPECT_EQ(m_Layout.firstFree, m_Layout.recordings[3].last + 1);

    for (size_t i = 0; i < 3; ++i) {
        const DemoRecording& r = m_Layout.recordings[i];
        EXPECT_EQ(r.classes, std::vector<char>(r.rPeaks.size(), 'N')) << i;
        EXPECT_TRUE(r.events.empty()) << i;
    }
    const DemoRecording& e = m_Layout.recordings[kDemoEctopyRecording];
    EXPECT_NEAR((e.last - e.first + 1) * 0.239616, 300, 1);
    ASSERT_EQ(e.classes.size(), e.rPeaks.size());
    EXPECT_GE(std::count(e.classes.begin(), e.classes.end(), 'V'), 25);
    EXPECT_GE(std::count(e.classes.begin(), e.classes.end(), 'S'), 10);
    std::string kinds;
    for (const OEcgEvent& event : e.events)
        kinds += std::string(EcgEventName(event.kind)) + " ";
    EXPECT_EQ(kinds, "COUPLET VT BIGEMINY TRIGEMINY SVT AF ");
    ASSERT_FALSE(e.events.empty());
    EXPECT_GE((e.events.back().endSample - e.events.back().startSample) / 976.5625, 60);
}

TEST_F(DemoCardTest, TruthFileGivesEveryBeatsClassAndTheEventsAndKeepsItsFirstColumns)
{
    std::map<uint32_t, const DemoRecording*> byFirst;
    for (const DemoRecording& r : m_Layout.recordings)
        byFirst[r.first] = &r;
    std::map<uint32_t, std::vector<int64_t>> peaks;
    std::map<uint32_t, std::vector<char>> classes;
    std::map<uint32_t, std::vector<std::string>> events;
    int recordings = 0;
    for (const auto& row : ReadTsv(Card() + ".truth.tsv")) {
        ASSERT_GE(row.size(), 3u);
        const uint32_t first = uint32_t(std::stoul(row[1]));
        ASSERT_TRUE(byFirst.count(first)) << row[1];
        if (row[0] == "recording") {
            EXPECT_EQ(row.size(), 3u);
            EXPECT_EQ(std::stoul(row[2]), byFirst[first]->last);
            ++recordings;
        } else if (row[0] == "rpeak") {
            // The first three columns as they always were; the class after them.
            ASSERT_EQ(row.size(), 4u);
            peaks[first].push_back(std::stoll(row[2]));
            ASSERT_EQ(row[3].size(), 1u);
            classes[first].push_back(row[3][0]);
        } else if (row[0] == "event") {
            ASSERT_EQ(row.size(), 7u);
            events[first].push_back(row[2] + " " + row[3] + " " + row[4] + " " + row[5]);
        } else {
            ADD_FAILURE() << row[0];
        }
    }
    EXPECT_EQ(recordings, 4);
    for (const DemoRecording& r : m_Layout.recordings) {
        EXPECT_EQ(peaks[r.first], r.rPeaks) << r.first;
        EXPECT_EQ(classes[r.first], r.classes) << r.first;
        std::vector<std::string> expected;
        for (const OEcgEvent& e : r.events)
            expected.push_back(std::string(EcgEventName(e.kind)) + " " + std::to_string(e.startSample) + " " +
                               std::to_string(e.endSample) + " " + std::to_string(e.beats));
        EXPECT_EQ(events[r.first], expected) << r.first;
    }
}
