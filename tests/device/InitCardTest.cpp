// The card initialisation report as the device's answer shapes it.
#include "DeviceSimFixture.h"

namespace {

const char* kSummary = "\nУСТРОЙСТВО СООБЩАЕТ РЕЗУЛЬТАТ ИНИЦИАЛИЗАЦИИ SD/MMC карты\n";

} // namespace

TEST_F(DeviceSimTest, InitReportCases)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> reply;
        std::string text;
        MsgIcon icon;
    };
    const Case cases[] = {
        {"the card does not answer CMD0",
         {'W', 0xFF, 0x00},
         std::string("Ответ на CMD0_GO_IDLE_STATE = 00 - неверный ответ\n") + kSummary +
             " - ошибка инициализации (MMC_InitStatus = 00)\n - версия SD 1.x\n",
         MsgIcon::Error},
        {"CMD8 rejected, ACMD41 done",
         {'W', 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0xFF, 0x80, 0x00, 0x04},
         std::string("Ответ на CMD0_GO_IDLE_STATE = 01 - выполнена\n"
                     "Ответ на CMD8_SEND_IF_COND = 05, 00000000 - отвергнута, это не SD версии >= 2.0\n"
                     "Инициализация командой (CMD1/ACMD41) успешна\n"
                     "Ответ на CMD58_READ_OCR = 00, 80ff8000 - успех: включена \n") +
             kSummary + " - инициализирована успешно\n - версия SD 1.x\n",
         MsgIcon::Information},
        {"ACMD41 fails",
         {'W', 0x00, 0x01, 0x00, 0x00, 0x01, 0xAA, 0x01, 0x01},
         std::string("Ответ на CMD0_GO_IDLE_STATE = 01 - выполнена\n"
                     "Ответ на CMD8_SEND_IF_COND = 01, 000001aa - принята, это SD версии 2.0 или выше\n"
                     "Ответ на CMD1(ACMD41) = 01 - инициализация не удалась\n") +
             kSummary + " - ошибка инициализации (MMC_InitStatus = 01)\n - версия SD >= 2.0\n",
         MsgIcon::Error},
        {"the default SD HC card",
         {},
         std::string("Ответ на CMD0_GO_IDLE_STATE = 01 - выполнена\n"
                     "Ответ на CMD8_SEND_IF_COND = 01, 000001aa - принята, это SD версии 2.0 или выше\n"
                     "Инициализация командой (CMD1/ACMD41) успешна\n"
                     "Ответ на CMD58_READ_OCR = 00, c0ff8000 - успех: включена HC \n") +
             kSummary + " - инициализирована успешно\n - версия SD >= 2.0\n - SD HC\n",
         MsgIcon::Information},
        {"CMD58 rejected",
         {'W', 0x00, 0x01, 0x00, 0x00, 0x01, 0xAA, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x03},
         std::string("Ответ на CMD0_GO_IDLE_STATE = 01 - выполнена\n"
                     "Ответ на CMD8_SEND_IF_COND = 01, 000001aa - принята, это SD версии 2.0 или выше\n"
                     "Инициализация командой (CMD1/ACMD41) успешна\n"
                     "Ответ на CMD58_READ_OCR = 05, 00000000 - отвергнута\n") +
             kSummary + " - ошибка инициализации (MMC_InitStatus = 03)\n - версия SD >= 2.0\n - SD HC\n",
         MsgIcon::Error},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (m_Port)
            m_Port->Close();
        m_Dialogs.Clear();
        Serve({}, true, c.reply);
        m_Device->InitCard();
        ASSERT_EQ(m_Dialogs.Count(), 1u);
        const RecordedMessage shown = m_Dialogs.Messages()[0];
        EXPECT_EQ(shown.text, c.text);
        EXPECT_EQ(shown.caption, "ИНИЦИАЛИЗАЦИЯ SD/MMC КАРТЫ");
        EXPECT_EQ(shown.icon, c.icon);
        EXPECT_EQ(m_Port->Available(), 0) << "the whole report is consumed";
    }
}

TEST_F(DeviceSimTest, InitReportThatStopsShortOrIsWrong)
{
    struct Case {
        const char* name;
        SimFaults faults;
        std::vector<uint8_t> reply;
        std::string text;
        int leftWaiting;
    };
    SimFaults silent, wrongTag;
    silent.silent = true;
    wrongTag.wrongTag = true;
    const Case cases[] = {
        {"no answer", silent, {}, std::string("Устройство ЭКГ не ответило на команду с компа.\n") + NoAnswerHint, 0},
        {"wrong tag",
         wrongTag,
         {},
         std::string("Неверный отклик прибора на команду инициализации SD карты\n") + NoAnswerHint,
         14},
        {"cut after CMD8",
         {},
         {'W', 0x00, 0x01, 0x00, 0x00, 0x01, 0xAA, 0x00, 0x00, 0xC0},
         std::string("В ответ на команду получено меньше данных, чем ожидалось.\n") + NoAnswerHint,
         10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (m_Port)
            m_Port->Close();
        m_Dialogs.Clear();
        Serve(c.faults, true, c.reply);
        m_Device->InitCard();
        ASSERT_EQ(m_Dialogs.Count(), 1u);
        EXPECT_EQ(m_Dialogs.Messages()[0].text, c.text);
        EXPECT_EQ(m_Dialogs.Messages()[0].icon, MsgIcon::Error);
        EXPECT_EQ(m_Port->Available(), c.leftWaiting) << "what arrived stays in the buffer";
    }
}
