// Every fault of the simulated device gives the program's message for it, and
// the device can still be taken back into PC control afterwards.
#include "DeviceSimFixture.h"

#include <functional>

TEST_F(DeviceSimTest, EachFaultGivesItsMessageAndStopStillWorks)
{
    WriteSector(0x10000, PatternSector(9));
    using Operation = std::function<std::string(ODevice&)>;
    const Operation readWhole = [](ODevice& d) {
        uint8_t data[512];
        d.ReadSector(0x10000, 512, data);
        return d.m_ReadErrorText;
    };
    const Operation firstFree = [this](ODevice& d) {
        uint32_t value = 0;
        d.GetFirstFreeSector(value);
        return LastMessage();
    };
    const Operation stream = [this](ODevice& d) {
        d.m_FastSpeedSelectorPos = 3;
        d.StartStream(0x10000, 512);
        return LastMessage();
    };
    const Operation init = [this](ODevice& d) {
        d.InitCard();
        return LastMessage();
    };
    struct Case {
        const char* fault;
        Operation operation;
        const char* message;
    };
    const Case cases[] = {
        {"wrong-tag", stream, "Неверная реакция прибора ЭКГ на команду последовательного чтения SD-карты.\n"},
        {"short", stream, "Неверная реакция прибора ЭКГ на команду последовательного чтения SD-карты.\n"},
        {"short", firstFree, "не ответило или ответило неверно на запрос первого свободного сектора"},
        {"short", readWhole, "не поступило требуемых данных"},
        {"crc 1", readWhole, "Ошибка CRC"},
        {"swap-crc", readWhole, "Ошибка CRC"},
        {"garbage", readWhole, "Чтение SD-карты неудачно, ответ ff."},
        {"garbage", firstFree, "не ответило или ответило неверно на запрос первого свободного сектора"},
        {"garbage", init, "Неверный отклик прибора на команду инициализации SD карты"},
        {"unstable-first-free", firstFree, "недостоверно отвечает"},
        {"bad-speed-echo", stream, "код скорости обмена 87 не соответствует"},
        {"bad-pattern", stream, "(шаблон 5412aa99)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        SimFaults faults;
        bool used = false;
        std::string error;
        const std::string faultText = c.fault;
        ASSERT_TRUE(AddSimFault(faults, faultText, nullptr, used, error)) << error;
        if (m_Port)
            m_Port->Close();
        m_Dialogs.Clear();
        Serve(faults);
        EXPECT_CONTAINS(c.operation(*m_Device), c.message);
        EXPECT_TRUE(m_Device->StopExchange());
        EXPECT_EQ(m_Port->Speed(), 57600);
    }
}

TEST_F(DeviceSimTest, LineThatGoesAwayEndsReadsWithoutHanging)
{
    SimFaults faults;
    faults.hangupAfter = 515 + 5;
    Serve(faults);
    uint8_t data[512];
    EXPECT_TRUE(m_Device->ReadSector(0x10000, 512, data)) << m_Device->m_ReadErrorText;
    EXPECT_FALSE(m_Device->ReadSector(0x10000, 512, data));
    EXPECT_FALSE(m_Device->m_ReadErrorText.empty());
    EXPECT_FALSE(m_Device->StopExchange());
    EXPECT_NE(m_Port->LastReadError.load(), 0u);
}

TEST_F(DeviceSimTest, StreamEndsWithAnErrorTokenWhereTheFaultSaysSo)
{
    SimFaults faults;
    faults.streamErrorAt = 2;
    Serve(faults);
    m_Device->m_FastSpeedSelectorPos = 0;
    ASSERT_TRUE(m_Device->StartStream(0x10000, 512));
    std::vector<uint8_t> frames(2 * 515 + 1);
    ASSERT_TRUE(m_Port->WaitAndTake(frames.data(), int(frames.size()), 5000));
    EXPECT_EQ(frames[0], DATA_TOKEN);
    EXPECT_EQ(frames[515], DATA_TOKEN);
    EXPECT_EQ(frames[1030], 0x08);
    EXPECT_TRUE(m_Device->StopExchange());
}
