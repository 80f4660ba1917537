// Sector reads with their checks, and the recording sector test.
#include "DeviceSimFixture.h"

#include "SectorCrc.h"

TEST_F(DeviceSimTest, ReadSectorShortAndWhole)
{
    const auto sector = PatternSector(3);
    WriteSector(0x10010, sector);
    Serve();
    struct Case {
        int length;
        uint8_t sentWords;
    };
    for (const Case c : {Case{8, 4}, Case{512, 0}, Case{7, 4}, Case{600, 0}}) {
        SCOPED_TRACE(c.length);
        std::vector<uint8_t> data(513, 0xEE);
        ASSERT_TRUE(m_Device->ReadSector(0x10010, c.length, data.data())) << m_Device->m_ReadErrorText;
        const size_t copied = size_t(std::min(c.length, 512));
        EXPECT_TRUE(std::equal(sector.begin(), sector.begin() + long(copied), data.begin()));
        EXPECT_EQ(data[copied], 0xEE) << "copies no more than asked";
        EXPECT_TRUE(m_Device->m_ReadErrorText.empty());
        const auto request = m_Server->TakeReceived();
        ASSERT_EQ(request.size(), 7u);
        EXPECT_EQ(request[6], c.sentWords);
        EXPECT_EQ(m_Port->Available(), 0);
    }
    uint8_t none[1];
    EXPECT_FALSE(m_Device->ReadSector(0x10010, 0, none));
}

TEST_F(DeviceSimTest, ReadSectorFailuresLeaveTheDestinationAlone)
{
    WriteSector(0x10000, PatternSector(5));
    struct Case {
        const char* name;
        SimFaults faults;
        uint32_t sector;
        int length;
        const char* error;
    };
    SimFaults swapped, corrupt, truncated, silent;
    swapped.swapCrc = true;
    corrupt.crcEvery = 1;
    truncated.shortReply = true;
    silent.silent = true;
    const Case cases[] = {
        {"swapped CRC bytes", swapped, 0x10000, 512, "Ошибка CRC, переданные устройством данные не верны."},
        {"corrupt CRC", corrupt, 0x10000, 512, "Ошибка CRC, переданные устройством данные не верны."},
        {"outside the card",
         {},
         kCardSectors,
         8,
         "Чтение SD-карты неудачно, ответ 08. Адрес сектора не допустим или SD-карта не инициализирована"},
        {"short reply", truncated, 0x10000, 8, "В ответ на команду чтения SD-карты не поступило требуемых данных"},
        {"no reply", silent, 0x10000, 8, "В ответ на команду чтения SD-карты от устройства не пришло ответа \n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (m_Port)
            m_Port->Close();
        Serve(c.faults);
        std::vector<uint8_t> data(512, 0xEE);
        EXPECT_FALSE(m_Device->ReadSector(c.sector, c.length, data.data()));
        EXPECT_EQ(m_Device->m_ReadErrorText, c.error);
        EXPECT_EQ(std::count(data.begin(), data.end(), 0xEE), 512);
    }
    // The CRC fault hits every second sector only: the next read is good.
    SimFaults everySecond;
    everySecond.crcEvery = 2;
    m_Port->Close();
    Serve(everySecond);
    uint8_t data[512];
    EXPECT_TRUE(m_Device->ReadSector(0x10000, 512, data));
    EXPECT_FALSE(m_Device->ReadSector(0x10000, 512, data));
    EXPECT_TRUE(m_Device->ReadSector(0x10000, 512, data));
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}

TEST_F(DeviceSimTest, RecordingSectorRules)
{
    // A recording 0x10000..0x10003, and sectors that only look like one.
    for (uint32_t n = 0x10000; n <= 0x10003; ++n)
        WriteSector(n, RecordingHeader(0x10000));
    WriteSector(0x10010, RecordingHeader(0x10011)); // S above its own number
    WriteSector(0x10011, RecordingHeader(0x0FFFF)); // S below the recording area
    WriteSector(0x10012, RecordingHeader(0x10002)); // S is a sector inside a recording
    WriteSector(0x0FFFF, RecordingHeader(0x0FFFF));
    auto notSigned = RecordingHeader(0x10000);
    notSigned[0] ^= 1;
    WriteSector(0x10013, notSigned);
    Serve();

    uint8_t header[8] = {};
    EXPECT_TRUE(m_Device->IsRecordingSector(0x10000, header));
    EXPECT_EQ(GetU32(header), RECORDING_SIGNATURE);
    EXPECT_EQ(GetU32(header + 4), 0x10000u);
    EXPECT_TRUE(m_Device->IsRecordingSector(0x10003, header));
    for (uint32_t n : {0x10010u, 0x10011u, 0x10012u, 0x10013u, 0x10020u, kCardSectors})
        EXPECT_FALSE(m_Device->IsRecordingSector(n, header)) << std::hex << n;
    // The middle check alone accepts a member whose first sector is wrong.
    EXPECT_TRUE(m_Device->IsRecordingMember(0x10012, header));
    EXPECT_FALSE(m_Device->IsRecordingMember(0x10010, header));

    m_Server->TakeReceived();
    EXPECT_FALSE(m_Device->IsRecordingSector(0x0FFFF, header));
    EXPECT_FALSE(m_Device->IsRecordingSector(0, header));
    EXPECT_TRUE(m_Server->TakeReceived().empty()) << "no read below the recording area";
}
