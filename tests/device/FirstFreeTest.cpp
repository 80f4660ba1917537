// Reading, setting and resetting the device's first free sector.
#include "DeviceSimFixture.h"

TEST_F(DeviceSimTest, SetByHandAsksThenSetsAndShowsTheValue)
{
    Serve();
    EXPECT_EQ(m_Device->ShowFirstFreeSector(), "0x10000");

    // Not a number: a message and nothing sent.
    m_Server->TakeReceived();
    EXPECT_EQ(m_Device->SetFirstFreeSectorByHand("xyz"), std::nullopt);
    EXPECT_EQ(LastMessage(), "Надо ввести в поле шестнадцатиричное число");
    EXPECT_EQ(m_Dialogs.Messages().back().caption, "ОШИБКА");
    // Anything but Yes: nothing sent.
    m_Dialogs.QueueAnswer(MsgResult::No);
    EXPECT_EQ(m_Device->SetFirstFreeSectorByHand("1A2B3"), std::nullopt);
    EXPECT_EQ(m_Dialogs.Messages().back().caption, "ПОДТВЕРЖДЕНИЕ");
    // A hasty Enter answers "Нет".
    EXPECT_EQ(m_Dialogs.Messages().back().buttons, MsgButtons::YesNoCancelDefaultNo);
    EXPECT_CONTAINS(LastMessage(), "вручную (0x1a2b3)?");
    EXPECT_TRUE(m_Server->TakeReceived().empty());

    m_Dialogs.Clear();
    m_Dialogs.QueueAnswer(MsgResult::Yes);
    EXPECT_EQ(m_Device->SetFirstFreeSectorByHand("1A2B3"), "0x1a2b3");
    const auto messages = m_Dialogs.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].caption, "ДЕЙСТВИЕ ВЫПОЛНЕНО");
    EXPECT_EQ(messages[1].icon, MsgIcon::Information);
    EXPECT_EQ(messages[1].text, "Установлено новое значение номера первого свободного сектора 0x1a2b3.\n"
                                "Предыдущее значение 0x10000 (рекомендуется сохранить)");
    // The device keeps it beside the card.
    OSimCard reopened;
    std::string error;
    ASSERT_TRUE(reopened.Open(CardPath(), error));
    EXPECT_EQ(reopened.FirstFree(), 0x1A2B3u);

    // Formatting sets it back to 0x10000 with the exact request bytes.
    m_Server->TakeReceived();
    m_Dialogs.QueueAnswer(MsgResult::Yes);
    EXPECT_EQ(m_Device->FormatCard(), std::string());
    const auto sent = m_Server->TakeReceived();
    const std::vector<uint8_t> setRequest = {0xCD, 0x23, 0x00, 0x00, 0x01, 0x00, 0xCA, 0x3D, 0xE9, 0xA1};
    EXPECT_NE(std::search(sent.begin(), sent.end(), setRequest.begin(), setRequest.end()), sent.end());
    EXPECT_EQ(m_Device->ShowFirstFreeSector(), "0x10000");
    m_Dialogs.QueueAnswer(MsgResult::Cancel);
    EXPECT_EQ(m_Device->FormatCard(), std::nullopt);
    EXPECT_EQ(m_Dialogs.Messages().back().caption, "ВОПРОС - ФОРМАТИРОВАТЬ");
    EXPECT_EQ(m_Dialogs.Messages().back().buttons, MsgButtons::YesNoCancelDefaultNo);
}

TEST_F(DeviceSimTest, FirstFreeFailures)
{
    struct Case {
        const char* name;
        SimFaults faults;
        const char* message;
    };
    SimFaults unstable, ignored, silent, wrongTag;
    unstable.unstableFirstFree = true;
    ignored.ignoreSet = true;
    silent.silent = true;
    wrongTag.wrongTag = true;
    const Case cases[] = {
        {"unstable reads", unstable,
         "Устройство ЭКГ недостоверно отвечает на запросы номера первого свободного сектора."},
        {"set ignored", ignored,
         "Новое значение номера первого свободного сектора 0x10000 отличается от заданного 0x20000 (предыдущее "
         "значение 0x10000). Следует проверить корректность установки вручную!!!"},
        {"silent", silent, "Устройство ЭКГ не ответило или ответило неверно на запрос первого свободного сектора.\n"},
        {"wrong tag", wrongTag,
         "Устройство ЭКГ не ответило или ответило неверно на запрос первого свободного сектора.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (m_Port)
            m_Port->Close();
        m_Dialogs.Clear();
        Serve(c.faults);
        EXPECT_FALSE(m_Device->SetFirstFreeSector(0x20000));
        ASSERT_EQ(m_Dialogs.Count(), 1u);
        EXPECT_EQ(m_Dialogs.Messages()[0].caption, "ОШИБКА");
        EXPECT_CONTAINS(LastMessage(), c.message);
    }
}

TEST_F(DeviceSimTest, SetWithAGarbledCheckWordIsNotTaken)
{
    Serve();
    auto request = MakeSetFirstFreeRequest(0x30000);
    request[9] ^= 0x40;
    m_Port->Send(request.data(), int(request.size()));
    uint8_t answer = 0;
    ASSERT_TRUE(m_Port->WaitAndTake(&answer, 1, 2000));
    EXPECT_EQ(answer, 'q');
    uint32_t value = 0;
    ASSERT_TRUE(m_Device->GetFirstFreeSector(value));
    EXPECT_EQ(value, 0x10000u);
}
