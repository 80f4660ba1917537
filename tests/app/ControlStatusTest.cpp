// The control window against the simulated device served from this process:
// the status line says what the device is doing now (the live view's silence
// note only while the live view is on, PC control once STOP is answered, the
// recordings a list found), and the port list and the device controls are off
// while a read check, a list scan or a download owns the port.
#include "CControlDlg.h"
#include "CDownloadDlg.h"
#include "GuiTestSupport.h"
#include "PortNames.h"
#include "SimCardFixture.h"
#include "SimLive.h"
#include "TestDialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <chrono>
#include <ostream>
#include <set>

// Failures show the status line as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

constexpr int kSimPort = 9;
// The read check streams from this sector on; 20000 sectors after it take
// about 17 s at 57600 baud.
constexpr uint32_t kCheckStart = 0x1E3D70, kCheckFrames = 20000;

constexpr const char* kStopSent = "Команда СТОП отправлена, ожидается ответ прибора";
constexpr const char* kControlMode = "Прибор в режиме управления с компа";

// Every control that touches the device or the port.
constexpr int kDeviceControls[] = {1000, 1001, 1002, 1003, 1006, 1008, 1010, 1011, 1013, 1017, 1018, 1020, 1023, 1, 2};

class ControlStatusTest : public SimCardFixture {
protected:
    ControlStatusTest() : SimCardFixture(uint64_t(kCheckStart + kCheckFrames) * kCardSectorSize) {}

    void SetUp() override
    {
        SimCardFixture::SetUp();
        UseFreshSettings();
    }
    void TearDown() override
    {
        m_Dlg.reset();
        if (m_Server)
            m_Server->Stop(); // before the live stream it feeds from goes
        m_Live.reset();
        SimCardFixture::TearDown();
    }

    // The window on the simulator's port, in display mode as it starts.
    void OpenWindow(const SimFaults& faults = {}, bool fast = true)
    {
        m_Server = std::make_unique<OSimServer>(CardPath(), faults, SimServeOptions{.fast = fast});
        m_Live = std::make_unique<OSimLive>(m_Server->Device());
        std::string error;
        ASSERT_TRUE(m_Server->Start(error)) << error;
        SetComPortPathOverride(kSimPort, m_Server->PortPath());
        m_Dlg = std::make_unique<CControlDlg>(ControlDlgOptions{kSimPort});
        ASSERT_TRUE(m_Dlg->m_Port.IsOpen());
        ASSERT_EQ(m_Dlg->m_Mode, 0);
    }
    void StopIntoControlMode()
    {
        Click(1001);
        ASSERT_EQ(m_Dlg->m_Mode, 1);
        ASSERT_TRUE(WaitForStatus(kControlMode)) << Status().toStdString();
    }

    void Click(int id) { static_cast<QPushButton*>(m_Dlg->Item(id))->click(); }
    QString Status() const { return static_cast<QLineEdit*>(m_Dlg->Item(1012))->text(); }
    bool WaitForStatus(const QString& text) const
    {
        return ProcessEventsUntil([&] { return Status() == text; });
    }
    // Lets the window run for a while.
    static void RunFor(int ms)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        ProcessEventsUntil([&] { return std::chrono::steady_clock::now() > end; });
    }
    bool ListScanEnded() const
    {
        return static_cast<QPushButton*>(m_Dlg->Item(1003))->text() == "Считать с SD-карты список файлов";
    }
    int ListedRecordings() const
    {
        int found = 0;
        for (int row = 0; row < m_Dlg->ListView()->rowCount(); ++row)
            if (const QTableWidgetItem* last = m_Dlg->ListView()->item(row, 2); last && !last->text().isEmpty())
                ++found;
        return found;
    }
    // Checks that exactly the controls in `on` are enabled.
    void ExpectEnabledOnly(const std::set<int>& on, const char* when) const
    {
        for (int id : kDeviceControls)
            EXPECT_EQ(m_Dlg->Item(id)->isEnabled(), on.count(id) == 1) << when << ": control " << id;
    }
    static std::set<int> All() { return {std::begin(kDeviceControls), std::end(kDeviceControls)}; }
    static std::set<int> AllButDownload()
    {
        std::set<int> on = All();
        on.erase(1011); // needs a chosen row
        return on;
    }

    TestDialogs m_Dialogs;
    std::unique_ptr<OSimLive> m_Live;
    std::unique_ptr<CControlDlg> m_Dlg;
};

} // namespace

// A device in PC control sends nothing: the live view notes the silence until
// STOP has been answered, after which the line says the device's mode, then
// what the list found; a started live view replaces that with its packets and
// takes them along when STOP ends it.
TEST_F(ControlStatusTest, StatusLineFollowsTheDeviceThroughLiveViewStopAndList)
{
    WriteRecording(0x10000, 0x1000F);
    WriteRecording(0x10010, 0x10011);
    ASSERT_TRUE(m_Card.SetFirstFree(0x10012));
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    ASSERT_TRUE(ProcessEventsUntil([&] { return Status().startsWith("Нет данных от устройства "); }));

    Click(1001);
    EXPECT_EQ(Status(), kStopSent);
    ASSERT_TRUE(WaitForStatus(kControlMode)) << Status().toStdString();
    RunFor(2500); // longer than the silence note and the wait for STOP's answer take
    EXPECT_EQ(Status(), kControlMode);

    Click(1003);
    EXPECT_EQ(Status(), "Идет чтение списка файлов с SD-карты");
    EXPECT_TRUE(WaitForStatus("Список файлов считан, найдено записей: 2")) << Status().toStdString();

    Click(1002);
    EXPECT_EQ(m_Dlg->m_Mode, 0);
    EXPECT_EQ(Status(), "Ожидание данных от устройства");
    ASSERT_TRUE(ProcessEventsUntil([&] { return Status().contains(", ФАЙЛ=0x"); })) << Status().toStdString();

    Click(1001);
    EXPECT_EQ(Status(), kStopSent);
    EXPECT_TRUE(WaitForStatus(kControlMode)) << Status().toStdString();
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}

// The silence note belongs to the live view on its port: leaving the live
// view, or choosing no port, ends it.
TEST_F(ControlStatusTest, SilenceNoteGoesWithTheLiveViewAndThePort)
{
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    const auto silenceNoted = [&] { return Status().startsWith("Нет данных от устройства "); };
    ASSERT_TRUE(ProcessEventsUntil(silenceNoted));
    m_Dlg->SetMode(1);
    EXPECT_EQ(Status(), "");
    RunFor(2500);
    EXPECT_EQ(Status(), "");

    m_Dlg->SetMode(0);
    ASSERT_TRUE(ProcessEventsUntil(silenceNoted));
    auto* ports = static_cast<QComboBox*>(m_Dlg->Item(1000));
    ports->setCurrentIndex(0);
    emit ports->activated(0);
    EXPECT_EQ(Status(), "");
    RunFor(2500);
    EXPECT_EQ(Status(), "");
}

// STOP into a device that answers nothing does not claim control mode.
TEST_F(ControlStatusTest, StopWithoutAnswerSaysSo)
{
    SimFaults silent;
    silent.silent = true;
    ASSERT_NO_FATAL_FAILURE(OpenWindow(silent));
    Click(1001);
    EXPECT_EQ(m_Dlg->m_Mode, 1);
    EXPECT_EQ(Status(), kStopSent);
    EXPECT_TRUE(
        WaitForStatus("Прибор не ответил на команду СТОП: проверьте, что он включен и подключен к выбранному порту"))
        << Status().toStdString();
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}

// A list the user stopped says how many recordings it holds and that it is
// not the whole card.
TEST_F(ControlStatusTest, CancelledListSaysSoWithTheRecordingsFound)
{
    constexpr int kRecordings = 200;
    for (uint32_t k = 0; k < kRecordings; ++k)
        WriteRecording(0x10000 + 2 * k, 0x10001 + 2 * k);
    ASSERT_TRUE(m_Card.SetFirstFree(0x10000 + 2 * kRecordings));
    ASSERT_NO_FATAL_FAILURE(OpenWindow({}, false));
    m_Dlg->SetMode(1);
    Click(1003);
    ASSERT_TRUE(ProcessEventsUntil([&] { return ListedRecordings() >= 2 || ListScanEnded(); }));
    ASSERT_FALSE(ListScanEnded());
    Click(1003);
    ASSERT_TRUE(ProcessEventsUntil([&] { return ListScanEnded(); }));
    const int found = ListedRecordings();
    EXPECT_LT(found, kRecordings);
    EXPECT_EQ(Status(), QString("Чтение списка прервано, найдено записей: %1").arg(found));
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}

// While the read check runs, only its own button is on; the port stays.
TEST_F(ControlStatusTest, ReadCheckLeavesOnlyItsButtonOn)
{
    ASSERT_NO_FATAL_FAILURE(OpenWindow({}, false));
    ASSERT_NO_FATAL_FAILURE(StopIntoControlMode());
    m_Dlg->m_FastSpeedSelectorPos = 0;
    m_Dlg->m_Device.m_FastSpeedSelectorPos = 0;
    Click(1018);
    ASSERT_TRUE(m_Dlg->ReadCheckRunning());
    ExpectEnabledOnly({1018}, "read check");
    Click(1018);
    ASSERT_TRUE(ProcessEventsUntil([&] { return !m_Dlg->ReadCheckRunning(); }));
    ExpectEnabledOnly(All(), "after the read check");
}

// While the list is read, only its button (which stops it) is on; the port
// stays.
TEST_F(ControlStatusTest, ListScanLeavesOnlyItsButtonOn)
{
    WriteRecording(0x10000, 0x1000F);
    ASSERT_TRUE(m_Card.SetFirstFree(0x10010));
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    ASSERT_NO_FATAL_FAILURE(StopIntoControlMode());
    Click(1003);
    ASSERT_FALSE(ListScanEnded());
    ExpectEnabledOnly({1003}, "list scan");
    ASSERT_TRUE(ProcessEventsUntil([&] { return ListScanEnded(); }));
    EXPECT_EQ(m_Dlg->ListView()->rowCount(), 2);
    ExpectEnabledOnly(AllButDownload(), "after the list scan");
}

// While a download runs, nothing in the control window is on.
TEST_F(ControlStatusTest, DownloadLeavesNothingOn)
{
    WriteRecording(0x10000, 0x107CF); // 2000 sectors
    ASSERT_TRUE(m_Card.SetFirstFree(0x107D0));
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    ASSERT_NO_FATAL_FAILURE(StopIntoControlMode());
    Click(1003);
    ASSERT_TRUE(ProcessEventsUntil([&] { return ListScanEnded(); }));
    m_Dlg->ListView()->setCurrentCell(1, 0);

    bool seen = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<CDownloadDlg*>(w); window && window->isVisible() && !seen) {
                seen = true;
                ExpectEnabledOnly({}, "download");
            }
    });
    look.start(1);
    m_Dialogs.QueueFile(m_Dir.File("whole.экг"));
    Click(1011); // runs the download window until it closes itself
    look.stop();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(Status().startsWith("Файл ")) << Status().toStdString();
    ExpectEnabledOnly(All(), "after the download");
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}
