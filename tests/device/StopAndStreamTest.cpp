// STOP, the verified STOP exchange and the start of a sector stream.
#include "DeviceSimFixture.h"

#include <atomic>
#include <thread>

namespace {

constexpr int kPos57600 = 0;
constexpr int kPos921600 = 3;

} // namespace

TEST_F(DeviceSimTest, StopDuringAStreamAt921600ReturnsTo57600AndDrainsUntilStopOk)
{
    WriteSector(0x10000, PatternSector(1));
    Serve({}, /*fast=*/false);
    m_Device->m_FastSpeedSelectorPos = kPos921600;
    ASSERT_TRUE(m_Device->StartStream(0x10000, 512)) << LastMessage();
    EXPECT_EQ(m_Device->m_FastSpeedActive, 8);
    EXPECT_EQ(m_Port->Speed(), 921600);
    uint8_t frame[515];
    ASSERT_TRUE(m_Port->WaitAndTake(frame, sizeof frame, 5000));
    EXPECT_EQ(frame[0], DATA_TOKEN);
    const auto sector = PatternSector(1);
    EXPECT_TRUE(std::equal(sector.begin(), sector.end(), frame + 1));

    EXPECT_TRUE(m_Device->StopExchange());
    EXPECT_EQ(m_Device->m_FastSpeedActive, 0);
    EXPECT_EQ(m_Port->Speed(), 57600);
    EXPECT_EQ(m_Dialogs.Count(), 0u);
    // Back in PC control at 57600: an ordinary read works.
    uint8_t data[8];
    EXPECT_TRUE(m_Device->ReadSector(0x10000, 8, data)) << m_Device->m_ReadErrorText;
}

TEST_F(DeviceSimTest, SilentDeviceEndsTheStopExchangeWithoutAMessage)
{
    SimFaults faults;
    faults.silent = true;
    Serve(faults);
    m_Device->m_FastSpeedActive = 8; // as if a stream had been running
    m_Port->SetSpeed(921600);
    EXPECT_FALSE(m_Device->StopExchange());
    EXPECT_EQ(m_Port->Speed(), 57600);
    EXPECT_EQ(m_Dialogs.Count(), 0u);
    // At most ten STOP requests went out.
    const auto sent = m_Server->TakeReceived();
    EXPECT_GE(sent.size(), 2u * 5);
    EXPECT_LE(sent.size(), 2u * 10);
}

TEST_F(DeviceSimTest, StartStreamSendsEvenByteCountsAndCode0StaysAt57600)
{
    for (uint32_t s = 0; s < 4; ++s)
        WriteSector(0x10000 + s, PatternSector(s));
    Serve();
    m_Device->m_FastSpeedSelectorPos = kPos57600;
    const struct {
        int asked;
        uint8_t sentHalf;
        int frameData;
    } cases[] = {{512, 0, 512}, {2, 1, 2}, {1, 1, 2}, {0, 1, 2}, {513, 0, 512}, {7, 3, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        m_Server->TakeReceived();
        ASSERT_TRUE(m_Device->StartStream(0x10000, c.asked)) << LastMessage();
        EXPECT_EQ(m_Device->m_FastSpeedActive, 0);
        EXPECT_EQ(m_Port->Speed(), 57600);
        // No check pattern: the first frame follows the three-byte answer.
        std::vector<uint8_t> frame(size_t(c.frameData) + 3);
        ASSERT_TRUE(m_Port->WaitAndTake(frame.data(), int(frame.size()), 3000));
        EXPECT_EQ(frame[0], DATA_TOKEN);
        EXPECT_EQ(frame[1], PatternSector(0)[0]);
        const auto request = m_Server->TakeReceived();
        ASSERT_GE(request.size(), 8u);
        EXPECT_EQ(request[0], 0xCD);
        EXPECT_EQ(request[1], CMD_STREAM_SECTORS);
        EXPECT_EQ(GetU32(&request[2]), 0x10000u);
        EXPECT_EQ(request[6], c.sentHalf);
        EXPECT_EQ(request[7], 0);
        EXPECT_TRUE(m_Device->StopExchange());
    }
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}

TEST_F(DeviceSimTest, RefusedStartSectorShowsTheCode)
{
    Serve();
    EXPECT_FALSE(m_Device->StartStream(kCardSectors + 5, 512));
    EXPECT_EQ(m_Dialogs.Messages().at(0).caption, "ОШИБКА ЧТЕНИЯ SD карты");
    EXPECT_CONTAINS(LastMessage(), "с начального сектора 0x20005, код возврата 0x08.");
    EXPECT_EQ(m_Port->Available(), 0);
}

TEST_F(DeviceSimTest, GarbledCheckPatternShowsItAndStops)
{
    SimFaults faults;
    faults.badPattern = true;
    Serve(faults);
    int mode = -1;
    m_Device->m_SetMode = [&](int m) { mode = m; };
    m_Device->m_FastSpeedSelectorPos = kPos921600;
    EXPECT_FALSE(m_Device->StartStream(0x10000, 512));
    ASSERT_EQ(m_Dialogs.Count(), 1u);
    EXPECT_CONTAINS(LastMessage(), "искажены (шаблон 5412aa99)");
    // SendStop ran: back at 57600 and in control mode.
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(m_Device->m_FastSpeedActive, 0);
    EXPECT_EQ(m_Port->Speed(), 57600);
    EXPECT_TRUE(m_Device->StopExchange());
}

TEST_F(DeviceSimTest, WrongSpeedEchoKeepsTheSpeed)
{
    SimFaults faults;
    faults.badSpeedEcho = true;
    Serve(faults);
    m_Device->m_FastSpeedSelectorPos = kPos921600;
    EXPECT_FALSE(m_Device->StartStream(0x10000, 512));
    EXPECT_CONTAINS(LastMessage(), "Возвращенный устройством код скорости обмена 87 не соответствует");
    EXPECT_EQ(m_Port->Speed(), 57600);
    EXPECT_TRUE(m_Device->StopExchange());
}

TEST_F(DeviceSimTest, ReadCheckDumpsFramesUntilTheDeviceFallsSilent)
{
    // The card ends two sectors after the read check's start sector: two
    // frames, the out-of-range token, then silence.
    std::string error;
    ASSERT_TRUE(OSimCard::Create(CardPath(), uint64_t(0x1E3D72) * 512, error)) << error;
    Serve();
    m_Device->m_FastSpeedSelectorPos = kPos921600;
    EXPECT_EQ(m_Device->ReadCheckFrames(1000), 3);
    EXPECT_EQ(m_Dialogs.Count(), 0u);
    EXPECT_EQ(m_Port->Speed(), 57600);
}

TEST_F(DeviceSimTest, ReadCheckDumpOnAWorkerEndsWhenCancelled)
{
    // A card whose check area would stream for minutes at 57600 baud.
    std::string error;
    ASSERT_TRUE(OSimCard::Create(CardPath(), uint64_t(0x1E3D70 + 200000) * 512, error)) << error;
    Serve({}, false);
    m_Device->m_FastSpeedSelectorPos = 0;
    ASSERT_TRUE(m_Device->StartReadCheck());
    std::atomic<bool> cancel{false};
    std::atomic<int> frames{-1};
    std::thread worker([&] {
        frames.store(m_Device->DumpReadCheckFrames(1000000000, &cancel));
        m_Device->EndReadCheck();
    });
    m_Port->WaitAvailable(1, 5000); // the stream has begun
    cancel.store(true);
    worker.join();
    EXPECT_GE(frames.load(), 0);
    EXPECT_LT(frames.load(), 200000);
    EXPECT_EQ(m_Dialogs.Count(), 0u);
    EXPECT_EQ(m_Port->Available(), 0); // STOP drained what was left
}
