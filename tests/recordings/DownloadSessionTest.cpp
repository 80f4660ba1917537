// Whole downloads from the simulated device: the files must match the card
// byte for byte, up to the last verified sector when the transfer fails.
#include "DownloadSession.h"
#include "RecordingFormat.h"
#include "SimCardFixture.h"
#include "TestDialogs.h"

#include <fstream>
#include <iterator>

namespace {

class DownloadFixture : public SimCardFixture {
protected:
    std::vector<uint8_t> FileBytes(const std::string& name) const
    {
        std::ifstream in(m_Dir.File(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    DownloadOutcome Download(uint32_t first, uint32_t total, const std::string& name, int speedPos = 0)
    {
        m_Device->m_FastSpeedSelectorPos = speedPos;
        return DownloadToFile(*m_Device, {first, total, ""}, m_Dir.File(name), {});
    }
    TestDialogs m_Dialogs;
};

} // namespace

TEST_F(DownloadFixture, TwoSectorsAsEkgAndAsUpperCaseWav)
{
    WriteRecording(0x10000, 0x10001);
    Serve();
    const DownloadOutcome ekg = Download(0x10000, 2, "two.экг");
    EXPECT_TRUE(ekg.complete) << ekg.stopText;
    EXPECT_EQ(FileBytes("two.экг"), CardSectors(0x10000, 2));

    const DownloadOutcome wav = Download(0x10000, 2, "two.WAV");
    EXPECT_TRUE(wav.complete) << wav.stopText;
    const auto bytes = FileBytes("two.WAV");
    ASSERT_EQ(bytes.size(), 982u);
    EXPECT_EQ(ReadLE32(bytes.data() + 4), 974u);
    EXPECT_EQ(ReadLE32(bytes.data() + 42), 936u);
    const auto card = CardSectors(0x10000, 2);
    EXPECT_TRUE(std::equal(card.begin() + 44, card.begin() + 512, bytes.begin() + 46));
    EXPECT_TRUE(std::equal(card.begin() + 512 + 44, card.end(), bytes.begin() + 46 + 468));
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}

TEST_F(DownloadFixture, EverySpeedGivesTheCardsSectors)
{
    WriteRecording(0x10000, 0x1012B); // 300 sectors
    Serve();
    const auto card = CardSectors(0x10000, 300);
    for (int pos = 0; pos < 4; ++pos) {
        const std::string name = std::string("speed") + kSpeedList[pos].text + ".экг";
        const DownloadOutcome outcome = Download(0x10000, 300, name, pos);
        EXPECT_TRUE(outcome.complete) << kSpeedList[pos].text << ": " << outcome.stopText;
        EXPECT_TRUE(FileBytes(name) == card) << kSpeedList[pos].text;
    }
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}

TEST_F(DownloadFixture, ErrorTokenAtSector100KeepsTheFirst100)
{
    WriteRecording(0x10000, 0x100C7); // 200 sectors
    SimFaults faults;
    faults.streamErrorAt = 100;
    faults.errorToken = 0x08;
    Serve(faults);
    const DownloadOutcome outcome = Download(0x10000, 200, "cut.экг", 3);
    EXPECT_FALSE(outcome.complete);
    EXPECT_EQ(outcome.stopText,
              "Ошибка чтения, ответ SD-карты = 0x08 (out of range) вместо 0xfe, было загружено 50 кбайт");
    EXPECT_EQ(FileBytes("cut.экг"), CardSectors(0x10000, 100));
}

TEST_F(DownloadFixture, FlippedBitNeverReachesTheFile)
{
    WriteRecording(0x10000, 0x100C7);
    SimFaults faults;
    faults.flipEvery = 50;
    Serve(faults);
    const DownloadOutcome outcome = Download(0x10000, 200, "flip.экг", 3);
    EXPECT_FALSE(outcome.complete);
    EXPECT_EQ(outcome.stopText, "Ошибка чтения или передачи данных, CRC нарушена");
    EXPECT_EQ(outcome.received, 49u);
    EXPECT_EQ(FileBytes("flip.экг"), CardSectors(0x10000, 49));
}

TEST_F(DownloadFixture, FirstRowStreamsFreeSpaceAndStopsAtOnce)
{
    WriteRecording(0x10000, 0x10009);
    Serve();
    const auto range = RowDownloadRange(FirstFreeRow(0x1000A));
    ASSERT_TRUE(range);
    const DownloadOutcome outcome = DownloadToFile(*m_Device, *range, m_Dir.File("free.экг"), {});
    EXPECT_TRUE(outcome.started);
    EXPECT_FALSE(outcome.complete);
    EXPECT_EQ(outcome.stopText,
              "Неверный идентификатор файла в 0x0 секторе от началаю\nФайл усечен (загружен не полностью)");
    EXPECT_TRUE(FileBytes("free.экг").empty());
}

TEST_F(DownloadFixture, DeviceThatStallsOrHangsUpLeavesTheVerifiedSectors)
{
    WriteRecording(0x10000, 0x100C7); // 200 sectors
    struct Case {
        const char* name;
        int64_t SimFaults::*fault;
        const char* text;
        bool portFailed;
    };
    const Case cases[] = {
        {"stall", &SimFaults::stallAfter,
         "Нет данных от устройства 1 с, скачивание прервано.\nПроверенных секторов в файле: 50 (25 кбайт)", false},
        {"hang-up", &SimFaults::hangupAfter, "Ошибка при чтении данных с выбранного порта\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimFaults faults;
        faults.*c.fault = 3 + 50 * 515 + 100; // the start reply, 50 frames, part of the next
        if (m_Port)
            m_Port->Close();
        Serve(faults);
        m_Device->m_FastSpeedSelectorPos = 0;
        const DownloadOutcome outcome =
            DownloadToFile(*m_Device, {0x10000, 200, ""}, m_Dir.File("cut.экг"), {}, nullptr, DownloadWatch{100, 1000});
        EXPECT_FALSE(outcome.complete);
        EXPECT_EQ(outcome.stopText.rfind(c.text, 0), 0u) << outcome.stopText;
        EXPECT_EQ(outcome.portFailed, c.portFailed);
        // A hang-up may take what the terminal still held with it.
        if (c.portFailed)
            EXPECT_LE(outcome.received, 50u);
        else
            EXPECT_EQ(outcome.received, 50u);
        EXPECT_EQ(FileBytes("cut.экг"), CardSectors(0x10000, outcome.received));
    }
    EXPECT_EQ(m_Dialogs.Count(), 0u); // no failed-write box for a line that went away
}
