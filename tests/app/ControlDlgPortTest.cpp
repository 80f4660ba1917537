// The control window on a pseudo-terminal: choosing and dropping the port,
// the control-mode monitor, a hang-up of the device, the closing buttons and
// the STOP button.
#include "CControlDlg.h"
#include "Fatal.h"
#include "GuiTestSupport.h"
#include "OConsole.h"
#include "OSettings.h"
#include "PortNames.h"
#include "StrFormat.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace {

constexpr int kPtyPort = 9;

class ControlDlgPortTest : public testing::Test {
protected:
    void SetUp() override
    {
        UseFreshSettings();
        ASSERT_FALSE(m_Pty.slavePath.empty());
        SetComPortPathOverride(kPtyPort, m_Pty.slavePath);
    }
    static void Choose(CControlDlg& dlg, int index)
    {
        auto* ports = static_cast<QComboBox*>(dlg.Item(1000));
        ports->setCurrentIndex(index);
        emit ports->activated(index);
    }
    static bool PortControlsEnabled(CControlDlg& dlg)
    {
        bool all = true, none = true;
        for (int id : {1023, 1003, 1010, 1011, 1008, 1013, 1006, 1018, 1017, 1020, 1, 2, 1002, 1001, 1012}) {
            all = all && dlg.Item(id)->isEnabled();
            none = none && !dlg.Item(id)->isEnabled();
        }
        EXPECT_TRUE(all || none) << "port controls partly enabled";
        return all;
    }

    TestPty m_Pty;
    TestDialogs m_Dialogs;
};

TEST_F(ControlDlgPortTest, ChoosingPortsOpensAndNotSelectedClosesWithoutMessage)
{
    CControlDlg dlg;
    EXPECT_FALSE(PortControlsEnabled(dlg));

    Choose(dlg, kPtyPort);
    EXPECT_TRUE(dlg.m_Port.IsOpen());
    EXPECT_EQ(dlg.m_Port.Speed(), 57600);
    EXPECT_EQ(dlg.m_PortSelect, kPtyPort);
    EXPECT_EQ(OSettings::GetInt("Options", "m_PortSelect", 0), kPtyPort);
    EXPECT_TRUE(PortControlsEnabled(dlg));

    Choose(dlg, 0);
    EXPECT_FALSE(dlg.m_Port.IsOpen());
    EXPECT_EQ(OSettings::GetInt("Options", "m_PortSelect", -1), 0);
    EXPECT_FALSE(PortControlsEnabled(dlg));
    EXPECT_EQ(m_Dialogs.Count(), 0u);

    // A port that fails to open is stored all the same.
    TempDir folder;
    SetComPortPathOverride(kPtyPort + 1, folder.File("ttyNone"));
    Choose(dlg, kPtyPort + 1);
    EXPECT_EQ(m_Dialogs.Count(), 1u);
    EXPECT_EQ(dlg.m_PortSelect, 0);
    EXPECT_EQ(OSettings::GetInt("Options", "m_PortSelect", -1), kPtyPort + 1);
}

TEST_F(ControlDlgPortTest, PortGivenAtStartIsOpenedWithoutTouchingTheSetting)
{
    CControlDlg dlg(ControlDlgOptions{kPtyPort});
    EXPECT_TRUE(dlg.m_Port.IsOpen());
    EXPECT_EQ(static_cast<QComboBox*>(dlg.Item(1000))->currentIndex(), kPtyPort);
    EXPECT_EQ(OSettings::GetInt("Options", "m_PortSelect", -1), -1);
}

TEST_F(ControlDlgPortTest, HangUpInControlModeIsReportedOnceAndClosesThePort)
{
    CControlDlg dlg(ControlDlgOptions{kPtyPort});
    ASSERT_TRUE(dlg.m_Port.IsOpen());
    dlg.SetMode(1);
    m_Pty.HangUp();
    ASSERT_TRUE(ProcessEventsUntil([&] { return m_Dialogs.Count() > 0; }));
    // A few more monitor ticks must not repeat the message.
    for (int i = 0; i < 5; ++i)
        dlg.ControlModeTick();

    ASSERT_EQ(m_Dialogs.Count(), 1u);
    const RecordedMessage message = m_Dialogs.Messages()[0];
    EXPECT_EQ(message.caption, "ОШИБКА ПРИ РАБОТЕ С ПОРТОМ");
    EXPECT_EQ(message.icon, MsgIcon::Error);
    EXPECT_EQ(message.text, "Ошибка при чтении данных с выбранного порта\n" +
                                SystemErrorText(dlg.m_Port.LastReadError.load()) +
                                "\nПопробуйте выбрать порт заново\n");
    EXPECT_NE(SystemErrorText(dlg.m_Port.LastReadError.load()), "?");
    EXPECT_FALSE(dlg.m_Port.IsOpen());
    EXPECT_EQ(dlg.m_PortSelect, 0);
    EXPECT_FALSE(PortControlsEnabled(dlg));
    EXPECT_TRUE(dlg.Item(1000)->isEnabled());
}

TEST_F(ControlDlgPortTest, MonitorDumpsAndDropsUnsolicitedBytes)
{
    CControlDlg dlg(ControlDlgOptions{kPtyPort});
    dlg.SetMode(1);
    dlg.SetTimersForMode(-1); // the test ticks the monitor itself
    TempDir folder;
    const std::string log = folder.File("console.txt");
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    Console().SetOutput(fd);

    ASSERT_TRUE(m_Pty.Write("\x01\xab\xff", 3));
    ASSERT_TRUE(ProcessEventsUntil([&] { return dlg.m_Port.Available() == 3; }));
    dlg.ControlModeTick();
    EXPECT_EQ(dlg.m_Port.Available(), 0);

    std::string block(600, '\0');
    std::string expected = "Принято 600 байт: ";
    for (int i = 0; i < 600; ++i) {
        block[static_cast<size_t>(i)] = static_cast<char>(i * 7);
        if (i < 512)
            expected += StrFormat(i == 0 ? "%02x" : ", %02x", (i * 7) & 0xFF);
    }
    expected += ", ...\n";
    ASSERT_TRUE(m_Pty.Write(block.data(), block.size()));
    ASSERT_TRUE(ProcessEventsUntil([&] { return dlg.m_Port.Available() == 600; }));
    dlg.ControlModeTick();
    dlg.ControlModeTick(); // nothing waiting: nothing written

    Console().SetOutput(2);
    ::close(fd);
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "Принято 3 байт: 01, ab, ff\n" + expected);
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}

TEST_F(ControlDlgPortTest, CloseButtonsEndTheWindowWithTheirResult)
{
    const struct {
        int id;
        int result;
    } cases[] = {{1, QDialog::Accepted}, {2, QDialog::Rejected}};
    for (const auto& c : cases) {
        CControlDlg dlg(ControlDlgOptions{kPtyPort});
        dlg.SetMode(1);
        dlg.setResult(-1);
        static_cast<QPushButton*>(dlg.Item(c.id))->click();
        EXPECT_EQ(dlg.result(), c.result) << "button " << c.id;
    }
}

TEST_F(ControlDlgPortTest, StopButtonSendsStopAndSwitchesToControlMode)
{
    CControlDlg dlg(ControlDlgOptions{kPtyPort});
    ASSERT_EQ(dlg.m_Mode, 0);
    static_cast<QPushButton*>(dlg.Item(1001))->click();
    EXPECT_EQ(dlg.m_Mode, 1);
    EXPECT_TRUE(dlg.TimerActive(1));
    EXPECT_FALSE(dlg.Item(1003)->isHidden());
    const std::string sent = m_Pty.Read(1);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(static_cast<uint8_t>(sent[0]), 0xCD);
}

} // namespace
