#include "DateCache.h"
#include "LivePacketBuilder.h"
#include "OComPort.h"
#include "OConsole.h"
#include "OLiveView.h"
#include "OSettings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace {

struct CountingSink : OLiveSink {
    int draws = 0;
    std::vector<std::string> lines;
    void DrawLiveChart() override { ++draws; }
    void ShowStatus(const std::string& line) override { lines.push_back(line); }
};

// The console's output collected in a file for the length of a test.
class ConsoleCapture {
public:
    ConsoleCapture() : m_Path(m_Dir.File("console.txt"))
    {
        m_Fd = ::open(m_Path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
        Console().SetOutput(m_Fd);
    }
    ~ConsoleCapture()
    {
        Console().SetOutput(2);
        ::close(m_Fd);
    }
    std::vector<std::string> Lines() const
    {
        std::ifstream in(m_Path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

private:
    TempDir m_Dir;
    std::string m_Path;
    int m_Fd = -1;
};

int64_t FixedClock()
{
    return 134000000000000000LL;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The port sits on a pseudo-terminal whose far end plays the device.
class LiveViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseFreshSettings();
        SetDateCacheFolders(m_Cache.Path(), m_Cache.Path() + "/fallback");
        m_Master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(m_Master, 0);
        ::grantpt(m_Master);
        ::unlockpt(m_Master);
        ASSERT_TRUE(m_Port.OpenPath(::ptsname(m_Master), 57600)) << m_Port.LastErrorText;
        m_View = std::make_unique<OLiveView>();
        m_View->m_FileTimeNow = &FixedClock;
    }
    void TearDown() override
    {
        m_Port.Close();
        ::close(m_Master);
        SetDateCacheFolders("", "");
    }
    // Sends bytes from the device's side and waits until the ring holds them all.
    void Arrive(const std::vector<uint8_t>& bytes)
    {
        const int before = m_Port.Available();
        ASSERT_EQ(::write(m_Master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        ASSERT_GE(m_Port.WaitAvailable(before + int(bytes.size()), 10000), before + int(bytes.size()));
    }
    static void Append(std::vector<uint8_t>& to, const std::array<uint8_t, kLivePacketSize>& packet)
    {
        to.insert(to.end(), packet.begin(), packet.end());
    }

    TempDir m_Cache;
    int m_Master = -1;
    static inline OComPort m_Port;
    std::unique_ptr<OLiveView> m_View;
    CountingSink m_Sink;
};

} // namespace

TEST_F(LiveViewTest, GarbageBeforeAPacketGetsElevenNotesAndThePacketStillDecodes)
{
    std::vector<uint8_t> bytes;
    for (int i = 1; i <= 20; ++i)
        bytes.push_back(uint8_t(i));
    Append(bytes, MakeLivePacket({}));
    Arrive(bytes);
    ConsoleCapture console;
    EXPECT_EQ(m_View->Pump(m_Port, false, m_Sink, 1000), 1);
    const auto notes = console.Lines();
    ASSERT_EQ(notes.size(), 11u);
    EXPECT_EQ(notes[0], "Пропускаю 1");
    EXPECT_EQ(notes[9], "Пропускаю A");
    EXPECT_EQ(notes[10], "Пропускаю B ...");
    EXPECT_EQ(m_Sink.lines.size(), 1u);
    EXPECT_EQ(m_Port.Available(), 0);
}

TEST_F(LiveViewTest, SeveralWaitingPacketsAreAllDecodedInOneTickEachRedrawing)
{
    std::vector<uint8_t> bytes;
    for (uint32_t k = 0; k < 3; ++k)
        Append(bytes, MakeLivePacket({.position = 0x10000 + k, .ticks = 2340 * k, .sample = [k](int i) {
                                          return uint16_t(1000 * k + i);
                                      }}));
    const auto fourth = MakeLivePacket({});
    bytes.insert(bytes.end(), fourth.begin(), fourth.begin() + 100); // not yet complete
    Arrive(bytes);
    EXPECT_EQ(m_View->Pump(m_Port, false, m_Sink, 1000), 3);
    EXPECT_EQ(m_Sink.draws, 3);
    ASSERT_EQ(m_Sink.lines.size(), 3u);
    EXPECT_NE(m_Sink.lines[2].find("ПОЗ=0x10002"), std::string::npos);
    EXPECT_EQ(m_View->WritePos(), 3 * 234);
    EXPECT_EQ(m_View->Samples()[0], 0);
    EXPECT_EQ(m_View->Samples()[234 + 5], 1005);
    EXPECT_EQ(m_View->Samples()[468 + 233], 2233);
    EXPECT_EQ(m_Port.Available(), 100);
}

TEST_F(LiveViewTest, RingWrapsAndTheWritePositionIsTheOldestSample)
{
    for (uint32_t k = 0; k < 13; ++k)
        m_View->DecodeLivePacket(MakeLivePacket({.sample = [k](int) { return uint16_t(k); }}).data(), false, m_Sink);
    // 13 x 234 = 3042 samples: 114 past the end of the 2928-sample ring.
    EXPECT_EQ(m_View->WritePos(), 114);
    EXPECT_EQ(m_View->Samples()[113], 12);
    EXPECT_EQ(m_View->Samples()[114], 0);
    EXPECT_EQ(m_View->Samples()[2927], 12);
}

TEST_F(LiveViewTest, BytesThatNeverFormAPacketAreDroppedAfterOneAndAHalfSeconds)
{
    EXPECT_EQ(m_View->Pump(m_Port, false, m_Sink, 1000), 0); // nothing waiting: the stream is fresh
    const auto packet = MakeLivePacket({});
    Arrive(std::vector<uint8_t>(packet.begin(), packet.begin() + 300));
    ConsoleCapture console;
    m_View->Pump(m_Port, false, m_Sink, 2500);
    EXPECT_EQ(m_Port.Available(), 300);
    m_View->Pump(m_Port, false, m_Sink, 2501);
    EXPECT_EQ(m_Port.Available(), 0);
    auto notes = console.Lines();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].rfind("Пропуская 300 байт: aa, 55, 39, a7, 00, 00, 01, 00, ", 0), 0u) << notes[0];
    EXPECT_TRUE(m_Sink.lines.empty());

    std::vector<uint8_t> many(514, 0x11);
    std::copy(packet.begin(), packet.begin() + 4, many.begin()); // a signature, one byte short
    Arrive(many);
    m_View->Pump(m_Port, false, m_Sink, 4002);
    notes = console.Lines();
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1].rfind("Пропуская 514 байт: aa, 55, 39, a7, 11, ", 0), 0u);
    // 512 bytes shown, each "xx" with ", " between them, then ", ...".
    EXPECT_EQ(notes[1].size(), std::string("Пропуская 514 байт: ").size() + 512 * 2 + 511 * 2 + 5);
    EXPECT_EQ(notes[1].substr(notes[1].size() - 11), "11, 11, ...");
}

// A packet of another recording forgets the start time; 11 packets of the new
// one give it again and write its date cache entry.
TEST_F(LiveViewTest, NewRecordingResetsTheStartTimeAndWritesItsCacheAfterElevenPackets)
{
    auto feed = [&](uint32_t first, uint32_t from, uint32_t to) {
        for (uint32_t k = from; k < to; ++k)
            m_View->DecodeLivePacket(
                MakeLivePacket({.firstSector = first, .position = first + k, .ticks = 2340u * k}).data(), false,
                m_Sink);
    };
    // k packets in, the device reports k x 2340 ticks of 0.0001024 s.
    auto startAfter = [](uint32_t k) { return FixedClock() + int64_t(2340u * k * 0.0001024 * -10000000.0); };
    const std::string fileA = DateCacheFileName(m_Cache.Path(), 0x10000);
    const std::string fileB = DateCacheFileName(m_Cache.Path(), 0x20000);

    feed(0x10000, 0, 10);
    EXPECT_EQ(m_View->RecordStartTime(), 0);
    EXPECT_NE(m_Sink.lines.back().find("ВРЕМЯ 2.2 сек"), std::string::npos) << m_Sink.lines.back();
    EXPECT_FALSE(std::ifstream(fileA).good());
    feed(0x10000, 10, 11);
    EXPECT_EQ(m_View->RecordStartTime(), startAfter(10));
    EXPECT_EQ(ReadFile(fileA), std::to_string(startAfter(10)) + "   " + std::to_string(0x10000 + 10));
    EXPECT_NE(m_Sink.lines.back().find("ВРЕМЯ " + FileTimeText(startAfter(10)) + ", 2.4 сек"), std::string::npos)
        << m_Sink.lines.back();
    EXPECT_EQ(OSettings::GetInt("Info", "m_CurrentFileStartAdr", -1), 0x10000);

    m_View->DecodeLivePacket(MakeLivePacket({.firstSector = 0x20000, .position = 0x20000}).data(), false, m_Sink);
    EXPECT_EQ(m_View->RecordStartTime(), 0);
    EXPECT_NE(m_Sink.lines.back().find("ВРЕМЯ 0.0 сек"), std::string::npos) << m_Sink.lines.back();
    feed(0x20000, 1, 11);
    EXPECT_EQ(ReadFile(fileB), std::to_string(startAfter(10)) + "   " + std::to_string(0x20000 + 10));
    EXPECT_EQ(OSettings::GetInt("Info", "m_CurrentFileStartAdr", -1), 0x20000);

    // After a restart the same recording is counted afresh and written again.
    std::filesystem::remove(fileB);
    m_View = std::make_unique<OLiveView>();
    m_View->m_FileTimeNow = &FixedClock;
    EXPECT_EQ(m_View->CurrentFileStartAdr(), 0x20000u);
    feed(0x20000, 11, 21);
    EXPECT_FALSE(std::ifstream(fileB).good());
    feed(0x20000, 21, 22);
    EXPECT_EQ(ReadFile(fileB), std::to_string(startAfter(21)) + "   " + std::to_string(0x20000 + 21));
}

// With the filter on, a flat input is a flat zero line (the filter starts
// primed with the first sample, so there is no start-up spike) stored as 0x8000.
TEST_F(LiveViewTest, FilteredFlatInputIsTheMiddleLine)
{
    m_View->Start(m_Port);
    uint8_t sent[2] = {};
    ASSERT_EQ(::read(m_Master, sent, 2), 2);
    EXPECT_EQ(sent[0], 0xCD);
    EXPECT_EQ(sent[1], 0x0A);
    for (int k = 0; k < 3; ++k)
        m_View->DecodeLivePacket(MakeLivePacket({.sample = [](int) { return uint16_t(5000); }}).data(), true, m_Sink);
    for (int i = 0; i < 3 * 234; ++i)
        ASSERT_EQ(m_View->Samples()[i], 0x8000) << i;
}

// Two seconds without a packet: the status line says so, once a second,
// until packets come again.
TEST_F(LiveViewTest, SilenceIsShownInTheStatusLine)
{
    std::vector<uint8_t> packet;
    Append(packet, MakeLivePacket({}));
    Arrive(packet);
    EXPECT_EQ(m_View->Pump(m_Port, false, m_Sink, 1000), 1);
    ASSERT_EQ(m_Sink.lines.size(), 1u);
    for (const uint32_t now : {2999u, 3000u, 3999u, 4000u, 4500u})
        m_View->Pump(m_Port, false, m_Sink, now);
    EXPECT_EQ(m_Sink.lines, (std::vector<std::string>{m_Sink.lines[0], "Нет данных от устройства 2 с",
                                                      "Нет данных от устройства 3 с"}));
    Arrive(packet);
    EXPECT_EQ(m_View->Pump(m_Port, false, m_Sink, 5000), 1);
    m_View->Pump(m_Port, false, m_Sink, 6999);
    ASSERT_EQ(m_Sink.lines.size(), 4u);
    EXPECT_EQ(m_Sink.lines[3], m_Sink.lines[0]);
}
