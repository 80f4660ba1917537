// The control window's device buttons against the simulated device served
// from this process: STOP, the first free sector (read, set, format), the card
// initialisation, and a silent device.
#include "CControlDlg.h"
#include "DeviceCommands.h"
#include "GuiTestSupport.h"
#include "OConsole.h"
#include "OSimCard.h"
#include "OSimServer.h"
#include "PortNames.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace {

constexpr int kSimPort = 7;
constexpr const char* kStopOkDump = "5e, 44, e7, 23";

class ControlDeviceButtonsTest : public testing::Test {
protected:
    void SetUp() override
    {
        UseFreshSettings();
        std::string error;
        ASSERT_TRUE(OSimCard::Create(CardPath(), 0x20000ull * 512, error)) << error;
        m_ConsoleFd = ::open(ConsolePath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(m_ConsoleFd, 0);
        Console().SetOutput(m_ConsoleFd);
    }
    void TearDown() override
    {
        m_Dlg.reset();
        if (m_Server)
            m_Server->Stop();
        Console().SetOutput(2);
        if (m_ConsoleFd >= 0)
            ::close(m_ConsoleFd);
    }

    std::string CardPath() const { return m_Dir.File("card.img"); }
    std::string ConsolePath() const { return m_Dir.File("console.txt"); }
    std::string ConsoleText() const
    {
        std::ifstream in(ConsolePath());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    void Serve(const SimFaults& faults = {}, bool fast = true)
    {
        if (m_Server)
            m_Server->Stop();
        m_Server = std::make_unique<OSimServer>(CardPath(), faults, SimServeOptions{.fast = fast});
        std::string error;
        ASSERT_TRUE(m_Server->Start(error)) << error;
        SetComPortPathOverride(kSimPort, m_Server->PortPath());
    }
    // The window on the simulator's port, taken into control mode with STOP
    // the way a user does it.
    void OpenInControlMode()
    {
        m_Dlg = std::make_unique<CControlDlg>(ControlDlgOptions{kSimPort});
        ASSERT_TRUE(m_Dlg->m_Port.IsOpen());
        ASSERT_NO_FATAL_FAILURE(StopAndWaitForStopOk());
    }
    // Returns once the monitor has shown the device's STOP-OK.
    void StopAndWaitForStopOk()
    {
        const size_t seen = ConsoleText().size();
        Click(1001);
        ASSERT_EQ(m_Dlg->m_Mode, 1);
        ASSERT_TRUE(ProcessEventsUntil([&] { return ConsoleText().find(kStopOkDump, seen) != std::string::npos; }))
            << ConsoleText();
        m_Server->TakeReceived();
    }
    void Click(int id) { static_cast<QPushButton*>(m_Dlg->Item(id))->click(); }
    QLineEdit* FirstFreeEdit() { return static_cast<QLineEdit*>(m_Dlg->Item(1013)); }
    uint32_t CardFirstFree() const
    {
        OSimCard card;
        std::string error;
        EXPECT_TRUE(card.Open(CardPath(), error)) << error;
        return card.FirstFree();
    }
    void ExpectWindowUsable()
    {
        EXPECT_EQ(m_Dlg->m_Mode, 1);
        EXPECT_TRUE(m_Dlg->TimerActive(1));
        for (int id : {1001, 1006, 1008, 1010, 1013, 1017, 1018, 1020})
            EXPECT_TRUE(m_Dlg->Item(id)->isEnabled()) << "control " << id;
    }

    TempDir m_Dir;
    TestDialogs m_Dialogs;
    int m_ConsoleFd = -1;
    std::unique_ptr<OSimServer> m_Server;
    std::unique_ptr<CControlDlg> m_Dlg;
};

TEST_F(ControlDeviceButtonsTest, StopEntersControlModeAndTheMonitorShowsStopOk)
{
    Serve();
    ASSERT_NO_FATAL_FAILURE(OpenInControlMode());
    EXPECT_NE(ConsoleText().find(std::string("Принято 4 байт: ") + kStopOkDump + "\n"), std::string::npos)
        << ConsoleText();
    EXPECT_TRUE(m_Dlg->TimerActive(1));
    EXPECT_FALSE(m_Dlg->TimerActive(10));
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}

TEST_F(ControlDeviceButtonsTest, ReadButtonShowsTheFirstFreeSectorOfAFreshCard)
{
    Serve();
    ASSERT_NO_FATAL_FAILURE(OpenInControlMode());
    Click(1017);
    EXPECT_EQ(FirstFreeEdit()->text().toStdString(), "0x10000");
    EXPECT_EQ(m_Dialogs.Count(), 0u);
    // Three reads, and the monitor took none of the replies away.
    EXPECT_EQ(m_Server->TakeReceived().size(), 3u * 2);
    EXPECT_EQ(ConsoleText().find("Принято 5 байт"), std::string::npos) << ConsoleText();
    ExpectWindowUsable();
}

// Set and format change the device's value only when the question is answered
// Yes; a text that is no hexadecimal number asks nothing and sends nothing.
TEST_F(ControlDeviceButtonsTest, SetAndFormatActOnlyOnYes)
{
    constexpr uint32_t kStart = 0x30000;
    struct Case {
        const char* name;
        int button;
        const char* typed;
        std::vector<MsgResult> answers;
        uint32_t value;      // the device's value afterwards
        const char* edit;    // the edit afterwards
        size_t messages;     // questions and messages shown
        const char* caption; // of the last one
        const char* message; // part of the last one
    };
    const Case cases[] = {
        {"set yes",
         1020,
         "0x20000",
         {MsgResult::Yes},
         0x20000,
         "0x20000",
         2,
         "ДЕЙСТВИЕ ВЫПОЛНЕНО",
         "Установлено новое значение номера первого свободного сектора 0x20000.\nПредыдущее значение 0x30000"},
        {"set no", 1020, "0x20000", {MsgResult::No}, kStart, "0x20000", 1, "ПОДТВЕРЖДЕНИЕ", "(0x20000)?"},
        {"set cancel", 1020, "20000", {MsgResult::Cancel}, kStart, "20000", 1, "ПОДТВЕРЖДЕНИЕ", "(0x20000)?"},
        {"set xyz",
         1020,
         "xyz",
         {MsgResult::Yes},
         kStart,
         "xyz",
         1,
         "ОШИБКА",
         "Надо ввести в поле шестнадцатиричное число"},
        {"format yes",
         1010,
         "0x30000",
         {MsgResult::Yes},
         0x10000,
         "",
         2,
         "ДЕЙСТВИЕ ВЫПОЛНЕНО",
         "Установлено новое значение номера первого свободного сектора 0x10000.\nПредыдущее значение 0x30000"},
        {"format no",
         1010,
         "0x30000",
         {MsgResult::No},
         kStart,
         "0x30000",
         1,
         "ВОПРОС - ФОРМАТИРОВАТЬ",
         "'форматирование' ???"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_Dlg.reset();
        if (m_Server)
            m_Server->Stop();
        {
            OSimCard card;
            std::string error;
            ASSERT_TRUE(card.Open(CardPath(), error)) << error;
            ASSERT_TRUE(card.SetFirstFree(kStart));
        }
        Serve();
        ASSERT_NO_FATAL_FAILURE(OpenInControlMode());
        m_Dialogs.Clear();
        for (MsgResult answer : c.answers)
            m_Dialogs.QueueAnswer(answer);
        FirstFreeEdit()->setText(c.typed);

        Click(c.button);

        const std::vector<RecordedMessage> messages = m_Dialogs.Messages();
        ASSERT_EQ(messages.size(), c.messages);
        EXPECT_EQ(messages.back().caption, c.caption);
        EXPECT_NE(messages.back().text.find(c.message), std::string::npos) << messages.back().text;
        EXPECT_EQ(FirstFreeEdit()->text().toStdString(), c.edit);
        EXPECT_EQ(CardFirstFree(), c.value);
        if (c.value == kStart) {
            EXPECT_TRUE(m_Server->TakeReceived().empty()) << "a request was sent";
        }
        ExpectWindowUsable();
    }
}

TEST_F(ControlDeviceButtonsTest, InitButtonShowsTheCardReport)
{
    Serve();
    ASSERT_NO_FATAL_FAILURE(OpenInControlMode());
    Click(1006);
    ASSERT_EQ(m_Dialogs.Count(), 1u);
    const RecordedMessage message = m_Dialogs.Messages()[0];
    EXPECT_EQ(message.caption, "ИНИЦИАЛИЗАЦИЯ SD/MMC КАРТЫ");
    EXPECT_EQ(message.icon, MsgIcon::Information);
    EXPECT_EQ(message.text.rfind("Ответ на CMD0_GO_IDLE_STATE = 01 - выполнена\n", 0), 0u) << message.text;
    EXPECT_NE(message.text.find("\nУСТРОЙСТВО СООБЩАЕТ РЕЗУЛЬТАТ ИНИЦИАЛИЗАЦИИ SD/MMC карты\n - инициализирована "
                                "успешно\n - версия SD >= 2.0\n - SD HC\n"),
              std::string::npos)
        << message.text;
    // The whole report was consumed: the monitor has nothing to show.
    EXPECT_EQ(m_Dlg->m_Port.Available(), 0);
    ExpectWindowUsable();
}

// A device that answers nothing: the message with the hint, and the window
// works on once the device answers again.
TEST_F(ControlDeviceButtonsTest, SilentDeviceGivesTheHintAndTheWindowWorksOn)
{
    SimFaults silent;
    silent.silent = true;
    Serve(silent);
    m_Dlg = std::make_unique<CControlDlg>(ControlDlgOptions{kSimPort});
    ASSERT_TRUE(m_Dlg->m_Port.IsOpen());
    Click(1001); // nothing comes back, control mode all the same
    ASSERT_EQ(m_Dlg->m_Mode, 1);

    Click(1017);
    ASSERT_EQ(m_Dialogs.Count(), 1u);
    const RecordedMessage message = m_Dialogs.Messages()[0];
    EXPECT_EQ(message.caption, "ОШИБКА");
    EXPECT_EQ(message.icon, MsgIcon::Error);
    EXPECT_EQ(message.text, std::string("Устройство ЭКГ не ответило или ответило неверно на запрос первого свободного "
                                        "сектора.\n") +
                                NoAnswerHint);
    EXPECT_EQ(FirstFreeEdit()->text().toStdString(), "");
    ExpectWindowUsable();

    // The device comes back on another terminal; the user picks the port again.
    auto* ports = static_cast<QComboBox*>(m_Dlg->Item(1000));
    const auto choose = [ports](int index) {
        ports->setCurrentIndex(index);
        emit ports->activated(index);
    };
    choose(0);
    Serve();
    m_Dialogs.Clear();
    choose(kSimPort);
    ASSERT_TRUE(m_Dlg->m_Port.IsOpen());
    ASSERT_NO_FATAL_FAILURE(StopAndWaitForStopOk());
    Click(1017);
    EXPECT_EQ(FirstFreeEdit()->text().toStdString(), "0x10000");
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}

} // namespace

// The read check runs beside the window, which stays responsive, and ends
// when the user stops it, by its button or by Escape.
TEST_F(ControlDeviceButtonsTest, ReadCheckRunsBesideTheWindowUntilStopped)
{
    // 20000 sectors after the check's start: about 17 s of frames at 57600 baud.
    constexpr uint32_t kCheckStart = 0x1E3D70, kFrames = 20000;
    std::string error;
    ASSERT_TRUE(OSimCard::Create(CardPath(), uint64_t(kCheckStart + kFrames) * 512, error)) << error;
    Serve({}, false);
    ASSERT_NO_FATAL_FAILURE(OpenInControlMode());
    m_Dlg->m_FastSpeedSelectorPos = 0;
    m_Dlg->m_Device.m_FastSpeedSelectorPos = 0;
    auto* button = static_cast<QPushButton*>(m_Dlg->Item(1018));
    const std::function<void()> stops[] = {[&] { button->click(); },
                                           [&] { QTest::keyClick(m_Dlg.get(), Qt::Key_Escape); }};
    for (const auto& stop : stops) {
        const size_t seen = ConsoleText().size();
        Click(1018);
        ASSERT_TRUE(m_Dlg->ReadCheckRunning());
        EXPECT_EQ(button->text(), "Остановить проверку");
        EXPECT_TRUE(button->isEnabled());
        EXPECT_FALSE(m_Dlg->Item(1017)->isEnabled());
        EXPECT_FALSE(m_Dlg->TimerActive(1));
        // The window's events go on while frames are dumped to the console.
        ASSERT_TRUE(
            ProcessEventsUntil([&] { return ConsoleText().find("RdSz = 5 mark = FE", seen) != std::string::npos; }));
        stop();
        ASSERT_TRUE(ProcessEventsUntil([&] { return !m_Dlg->ReadCheckRunning(); }));
        EXPECT_EQ(m_Dlg->result(), 0); // Escape stopped the check, not the window
        EXPECT_EQ(button->text(), "Проверка чтения");
        const std::string console = ConsoleText().substr(seen);
        EXPECT_NE(console.find("RETURN \n"), std::string::npos);
        EXPECT_NE(console.find("Получен ответ STOP-OK!"), std::string::npos);
        size_t lines = 0;
        for (size_t at = console.find("RdSz = "); at != std::string::npos; at = console.find("RdSz = ", at + 1))
            ++lines;
        EXPECT_LT(lines, kFrames);
        ExpectWindowUsable();
    }
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}
