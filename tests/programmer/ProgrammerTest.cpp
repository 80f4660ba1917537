// The monitor protocol from the PC's side, against the simulated monitor on
// a pseudo-terminal.
#include "ConsoleCapture.h"
#include "MonitorOnPty.h"
#include "OComPort.h"
#include "OProgrammer.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Programmer : public ::testing::Test {
protected:
    void Connect(const SimMonitorOptions& options = {})
    {
        monitor = std::make_unique<MonitorOnPty>(options);
        port = std::make_unique<OComPort>();
        ASSERT_TRUE(port->OpenPath(monitor->SlavePath(), 57600)) << port->LastErrorText;
        programmer = std::make_unique<OProgrammer>(*port);
        programmer->m_RefreshView = [this] { ++refreshes; };
        // A loaded test machine may hold a reply back longer than the monitor's
        // 100 ms; only the silent cases wait the timeout out.
        programmer->m_ReplyTimeoutMs = options.silentAfter >= 0 ? 300 : options.badReply ? 2000 : 5000;
    }
    void TearDown() override
    {
        programmer.reset();
        port.reset();
        monitor.reset();
    }
    std::vector<std::string> MessageTexts() const
    {
        std::vector<std::string> texts;
        for (const RecordedMessage& m : dialogs.Messages())
            texts.push_back(m.text);
        return texts;
    }

    TestDialogs dialogs;
    std::unique_ptr<MonitorOnPty> monitor;
    std::unique_ptr<OComPort> port;
    std::unique_ptr<OProgrammer> programmer;
    int refreshes = 0;
};

using Texts = std::vector<std::string>;

} // namespace

TEST_F(Programmer, WriteCountsProtectedWordsThenVerifies)
{
    Connect();
    for (int w = 0x100; w < kProgramWords; ++w)
        SetImageWord(programmer->m_Image, w, static_cast<uint16_t>((w * 7) & 0x3FFF));
    ConsoleCapture console;
    const WriteResult result = programmer->WriteDevice();
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.protectedWords, 256);
    EXPECT_EQ(result.verify.outcome, VerifyResult::Outcome::Equal);
    EXPECT_EQ(console.Text(), "Начинаю запись \nКонец записи, записано слов = 4096 из них защищено = 256\n"
                              "Начинаю проверку \n");
    ASSERT_EQ(dialogs.Count(), 1u);
    const RecordedMessage message = dialogs.Messages()[0];
    EXPECT_EQ(message.text, "Все в порядке, данные одинаковы !");
    EXPECT_EQ(message.caption, "ОШИБКА");
    EXPECT_EQ(message.icon, MsgIcon::Exclamation);
    EXPECT_EQ(refreshes, 1);
    monitor->With([](OSimMonitor& m) {
        EXPECT_EQ(m.Word(0x100), 0x700);
        EXPECT_EQ(m.Word(0xFFF), (0xFFF * 7) & 0x3FFF);
    });
    EXPECT_TRUE(programmer->m_DeviceImage == programmer->m_Image);
}

TEST_F(Programmer, VerifyNamesTheFirstDifferingByte)
{
    Connect();
    monitor->With([](OSimMonitor& m) { m.SetWord(5, 0x0105); });
    SetImageWord(programmer->m_Image, 5, 0x0205);
    ConsoleCapture console;
    const VerifyResult result = programmer->VerifyDevice();
    EXPECT_EQ(result.outcome, VerifyResult::Outcome::Differs);
    EXPECT_EQ(result.firstDifference, 11);
    EXPECT_EQ(console.Text(), "i = 11\n");
    ASSERT_EQ(dialogs.Count(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "Данные не совпадают");
    EXPECT_EQ(dialogs.Messages()[0].icon, MsgIcon::Error);
    EXPECT_EQ(ImageWord(programmer->m_DeviceImage, 5), 0x0105);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(Programmer, ReadIntoTheImage)
{
    Connect();
    monitor->With([](OSimMonitor& m) { m.SetWord(0xABC, 0x2864); });
    ASSERT_TRUE(programmer->ReadDevice());
    EXPECT_EQ(ImageWord(programmer->m_Image, 0xABC), 0x2864);
    EXPECT_EQ(ImageWord(programmer->m_Image, 0xABD), kErasedWord);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(dialogs.Count(), 0u);
}

TEST_F(Programmer, SilentOrConfusedMonitorStopsTheOperation)
{
    struct Case {
        const char* name;
        int silentAfter;
        bool badReply;
        bool write;
        const char* message;
    };
    const Case cases[] = {
        {"no answer to the first read", 0, false, false, "Ошибка при считывании !"},
        {"read loses a byte", -1, true, false, "Ошибка при считывании !"},
        {"no answer to a write", 3, false, true, "Ошибка при записи !"},
        {"wrong answer to a write", -1, true, true, "Ошибка при записи - неверный ответ !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimMonitorOptions options;
        options.silentAfter = c.silentAfter;
        options.badReply = c.badReply;
        Connect(options);
        dialogs.Clear();
        refreshes = 0;
        ConsoleCapture console;
        if (c.write) {
            const WriteResult result = programmer->WriteDevice();
            EXPECT_FALSE(result.written);
            EXPECT_EQ(console.Text(), "Начинаю запись \n") << "no verify after a failed write";
        } else {
            EXPECT_FALSE(programmer->ReadDevice());
        }
        EXPECT_EQ(MessageTexts(), Texts{c.message});
        EXPECT_EQ(dialogs.Messages()[0].caption, "ОШИБКА");
        EXPECT_EQ(dialogs.Messages()[0].icon, MsgIcon::Error);
        EXPECT_EQ(refreshes, 0);
    }
}

TEST_F(Programmer, ProgressCanCancel)
{
    Connect();
    int calls = 0;
    programmer->m_Progress = [&](int done, int total) {
        EXPECT_EQ(total, kProgramWords);
        return ++calls < 3 && done < kProgramWords;
    };
    EXPECT_EQ(programmer->VerifyDevice().outcome, VerifyResult::Outcome::Cancelled);
    EXPECT_EQ(dialogs.Count(), 0u);
    EXPECT_EQ(refreshes, 0);
}

TEST_F(Programmer, RunStartsTheProgramAndReceiveTracesBytes)
{
    Connect();
    programmer->RunDevice();
    programmer->SendUserCmd();
    // The monitor has seen the run request once every byte sent has arrived.
    uint8_t probe[2] = {};
    int count = 0;
    const uint8_t read[4] = {0xCD, 0xE6, 0, 0};
    port->Send(read, 4);
    port->ReadWithTimeout(probe, 2, count, 20000);
    ASSERT_EQ(count, 2);
    monitor->With([](OSimMonitor& m) {
        EXPECT_TRUE(m.Running());
        EXPECT_GE(m.WakeUps(), 101);
    });

    std::vector<uint8_t> noise(600);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<uint8_t>(i);
    monitor->Unsolicited(noise.data(), noise.size());
    ASSERT_EQ(port->WaitAvailable(600, 20000), 600);
    ConsoleCapture console;
    EXPECT_EQ(programmer->ReceiveMonitor(), 600);
    const std::string text = console.Text();
    EXPECT_EQ(text.rfind("Принято 600 байт: 00, 01, 02, ", 0), 0u) << text;
    EXPECT_TRUE(text.size() > 12 && text.compare(text.size() - 12, 12, "fe, ff, ...\n") == 0) << text;
    EXPECT_NE(text.find("ff, 00, 01"), std::string::npos);
    EXPECT_EQ(programmer->ReceiveMonitor(), 0);
}
