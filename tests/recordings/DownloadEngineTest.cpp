// The download engine against a pseudo-terminal whose far end the test writes
// as the device would stream.
#include "Fatal.h"
#include "ODownload.h"
#include "PtyStreamFixture.h"

TEST_F(StreamFixture, TwoSectorsFinishTheDownload)
{
    ASSERT_TRUE(m_File.Create(m_Dir.File("out.экг")));
    ODownload download(m_Port, m_File, 2, 1000);
    SendFrames(0, 2);
    EXPECT_EQ(download.Drain(), ODownload::State::Finished);
    EXPECT_EQ(download.ProgressText(2000), m_Dir.File("out.экг") + "\nЗагружено 1 кбайт из 1, скорость 1.0 кбайт/сек");
    EXPECT_EQ(download.SummaryText(3500), "Файл " + m_Dir.File("out.экг") + " скачан: 1 кбайт за 2.5 с");
    m_File.Close();
    EXPECT_EQ(FileBytes(), Sectors(2));
}

TEST_F(StreamFixture, FrameCompletedAtTheNextTickIsTakenWhole)
{
    ASSERT_TRUE(m_File.Create(m_Dir.File("out.экг")));
    ODownload download(m_Port, m_File, 3, 0);
    SendFrames(0, 1);
    auto second = Frame(Sector(1));
    const uint8_t lastByte = second.back();
    second.pop_back();
    Send(second);
    EXPECT_EQ(download.Drain(), ODownload::State::Running);
    EXPECT_EQ(download.ReceivedSectors(), 1u);
    EXPECT_EQ(m_Port.Available(), 514); // the partial frame stays waiting
    Send({lastByte});
    EXPECT_EQ(download.Drain(), ODownload::State::Running);
    EXPECT_EQ(download.ReceivedSectors(), 2u);
    m_File.Close();
    EXPECT_EQ(FileBytes(), Sectors(2));
}

TEST_F(StreamFixture, ErrorTokenStopsWithItsNameAndKeepsTheSectors)
{
    struct Case {
        uint8_t token;
        const char* text;
    };
    const Case cases[] = {
        {0x08, "Ошибка чтения, ответ SD-карты = 0x08 (out of range) вместо 0xfe, было загружено 50 кбайт"},
        {0x0C, "Ошибка чтения, ответ SD-карты = 0x0c  вместо 0xfe, было загружено 50 кбайт"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(m_File.Create(m_Dir.File("out.экг")));
        ODownload download(m_Port, m_File, 200, 0);
        SendFrames(0, 60);
        EXPECT_EQ(download.Drain(), ODownload::State::Running);
        SendFrames(60, 40);
        Send({c.token});
        EXPECT_EQ(download.Drain(), ODownload::State::Stopped);
        EXPECT_EQ(download.StopText(), c.text);
        EXPECT_EQ(download.ReceivedSectors(), 100u);
        m_File.Close();
        EXPECT_EQ(FileBytes(), Sectors(100));
        m_Port.Purge();
    }
}

TEST_F(StreamFixture, DamagedFrameNeverReachesTheFile)
{
    ASSERT_TRUE(m_File.Create(m_Dir.File("out.экг")));
    ODownload download(m_Port, m_File, 0, 0);
    SendFrames(0, 3);
    auto bad = Frame(Sector(3));
    bad[200] ^= 0x10;
    Send(bad);
    SendFrames(4, 1);
    EXPECT_EQ(download.Drain(), ODownload::State::Stopped);
    EXPECT_EQ(download.StopText(), "Ошибка чтения или передачи данных, CRC нарушена");
    m_File.Close();
    EXPECT_EQ(FileBytes(), Sectors(3));
}

TEST_F(StreamFixture, SectorWithoutSignatureEndsAnUnknownLengthDownload)
{
    ASSERT_TRUE(m_File.Create(m_Dir.File("out.экг")));
    ODownload download(m_Port, m_File, 0, 0);
    EXPECT_EQ(download.ProgressMaximum(), 2047);
    SendFrames(0, 2);
    Send(Frame(std::vector<uint8_t>(kSectorSize, 0))); // free space after the recordings
    EXPECT_EQ(download.Drain(), ODownload::State::Stopped);
    EXPECT_EQ(download.StopText(),
              "Неверный идентификатор файла в 0x2 секторе от началаю\nФайл усечен (загружен не полностью)");
    EXPECT_EQ(download.ProgressText(500), m_Dir.File("out.экг") + "\nЗагружено 1 кбайт, скорость 2.0 кбайт/сек");
    EXPECT_EQ(download.ProgressPosition(), 2);
    // No time has passed since the last progress: a speed of 0, not a division by zero.
    EXPECT_EQ(download.ProgressText(500), m_Dir.File("out.экг") + "\nЗагружено 1 кбайт, скорость 0.0 кбайт/сек");
}

TEST(DataErrorTokens, OnlyExactValuesHaveNames)
{
    EXPECT_STREQ(DataErrorTokenName(0x08), "(out of range)");
    EXPECT_STREQ(DataErrorTokenName(0x04), "(Card ECC Failed)");
    EXPECT_STREQ(DataErrorTokenName(0x02), "(CC Error)");
    EXPECT_STREQ(DataErrorTokenName(0x01), "(Error)");
    EXPECT_STREQ(DataErrorTokenName(0x0C), "");
    EXPECT_STREQ(DataErrorTokenName(0x00), "");
}

// A line that falls silent or goes away ends the download with its cause; the
// file keeps exactly the sectors verified before.
TEST_F(StreamFixture, SilentOrLostLineEndsTheDownload)
{
    const std::string kept = "Проверенных секторов в файле: 4 (2 кбайт)";
    ASSERT_TRUE(m_File.Create(m_Dir.File("out.экг")));
    ODownload download(m_Port, m_File, 100, 0);
    SendFrames(0, 4);
    EXPECT_EQ(download.Tick(100), ODownload::State::Running);
    // Part of a frame is still news: the silence counts from it.
    const auto next = Frame(Sector(4));
    Send(std::vector<uint8_t>(next.begin(), next.begin() + 100));
    EXPECT_EQ(download.Tick(9000), ODownload::State::Running);
    EXPECT_EQ(download.ProgressText(10999),
              m_Dir.File("out.экг") + "\nЗагружено 2 кбайт из 50, скорость 0.2 кбайт/сек");
    EXPECT_EQ(download.ProgressText(18999),
              m_Dir.File("out.экг") +
                  "\nЗагружено 2 кбайт из 50, скорость 0.0 кбайт/сек\nНет данных от устройства 9 с");
    EXPECT_EQ(download.Tick(18999), ODownload::State::Running);
    EXPECT_EQ(download.Tick(19000), ODownload::State::Stopped);
    EXPECT_EQ(download.StopText(), "Нет данных от устройства 10 с, скачивание прервано.\n" + kept);
    EXPECT_FALSE(download.PortFailed());
    EXPECT_EQ(download.SummaryText(19000),
              "Скачивание прервано, файл " + m_Dir.File("out.экг") + " содержит первые 2 кбайт");

    // The far end hangs up: stopped at once, after the frames that came first.
    m_Port.Purge();
    ASSERT_TRUE(m_File.Create(m_Dir.File("out.экг")));
    ODownload lost(m_Port, m_File, 100, 0);
    SendFrames(0, 4);
    ::close(m_Master);
    m_Master = -1;
    for (int i = 0; i < 10000 && m_Port.LastReadError.load() == 0; ++i)
        ::usleep(1000);
    const uint32_t error = m_Port.LastReadError.load();
    ASSERT_NE(error, 0u);
    EXPECT_EQ(lost.Tick(200), ODownload::State::Stopped);
    EXPECT_EQ(lost.StopText(), "Ошибка при чтении данных с выбранного порта\n" + SystemErrorText(error) +
                                   "\nСкачивание прервано. " + kept + "\nПопробуйте выбрать порт заново");
    EXPECT_TRUE(lost.PortFailed());
    m_File.Close();
    EXPECT_EQ(FileBytes(), Sectors(4));
}
