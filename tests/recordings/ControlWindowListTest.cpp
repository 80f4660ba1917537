// The control window's recording list and download against the simulated
// device: the list button with its scan thread, then the download button.
#include "CControlDlg.h"
#include "CDownloadDlg.h"
#include "ConsoleCapture.h"
#include "PortNames.h"
#include "SimCardFixture.h"
#include "StrFormat.h"
#include "TestDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTableWidget>
#include <QTest>

#include <fstream>
#include <iterator>

namespace {

constexpr int kSimPort = 11;

class ControlWindowList : public SimCardFixture {
protected:
    TestDialogs m_Dialogs;
};

QPushButton* Button(CControlDlg& dlg, int id)
{
    return static_cast<QPushButton*>(dlg.Item(id));
}

} // namespace

TEST_F(ControlWindowList, ListThenDownloadTheSelectedRow)
{
    WriteRecording(0x10000, 0x1000F);
    WriteRecording(0x10010, 0x10011);
    ASSERT_TRUE(m_Card.SetFirstFree(0x10012));
    Serve();
    m_Port->Close(); // the window opens its own port
    SetComPortPathOverride(kSimPort, m_Server->PortPath());
    ControlDlgOptions options;
    options.portSelect = kSimPort;
    CControlDlg dlg(options);
    dlg.SetMode(1);
    ASSERT_TRUE(dlg.Item(1011)) << "no download button";
    EXPECT_FALSE(dlg.Item(1011)->isEnabled());

    Button(dlg, 1003)->click();
    EXPECT_EQ(Button(dlg, 1003)->text(), "Прервать чтение списка");
    EXPECT_FALSE(dlg.TimerActive(1)); // nothing else reads the port meanwhile
    QTRY_COMPARE_WITH_TIMEOUT(Button(dlg, 1003)->text(), QString("Считать с SD-карты список файлов"), 30000);
    EXPECT_TRUE(dlg.TimerActive(1));
    QTableWidget* list = dlg.ListView();
    ASSERT_EQ(list->rowCount(), 3);
    EXPECT_EQ(list->item(0, 1)->text(), "0x10012");
    EXPECT_EQ(list->item(1, 1)->text(), "0x10010");
    EXPECT_EQ(list->item(2, 3)->text(), "8192");
    EXPECT_EQ(m_Dialogs.Count(), 0u);

    list->setCurrentCell(1, 0);
    EXPECT_TRUE(dlg.Item(1011)->isEnabled());
    const std::string path = m_Dir.File("two.WAV");
    m_Dialogs.QueueFile(path);
    Button(dlg, 1011)->click(); // runs the download window until it closes itself
    ASSERT_EQ(m_Dialogs.FileRequests().size(), 1u);
    EXPECT_EQ(m_Dialogs.FileRequests()[0].fileName, "ЭКГ_0x00010010");
    std::ifstream in(path, std::ios::binary);
    const std::string wav{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(wav.size(), 982u);
    const auto card = CardSectors(0x10010, 2);
    std::string samples(card.begin() + 44, card.begin() + 512);
    samples.append(card.begin() + 512 + 44, card.end());
    EXPECT_TRUE(wav.substr(46) == samples);
    EXPECT_TRUE(static_cast<QLineEdit*>(dlg.Item(1012))
                    ->text()
                    .startsWith(QString::fromStdString("Файл " + path + " скачан: 1 кбайт за ")));
    EXPECT_TRUE(dlg.TimerActive(1));
    EXPECT_EQ(m_Dialogs.Count(), 0u) << m_Dialogs.Messages()[0].text;
}

TEST_F(ControlWindowList, LineLostDuringADownloadIsToldOnceAndClosesThePort)
{
    WriteRecording(0x10000, 0x103E7); // 1000 sectors
    ASSERT_TRUE(m_Card.SetFirstFree(0x103E8));
    SimFaults faults;
    faults.hangupAfter = 100000; // during the stream, after the list's reads
    Serve(faults);
    m_Port->Close();
    SetComPortPathOverride(kSimPort, m_Server->PortPath());
    ControlDlgOptions options;
    options.portSelect = kSimPort;
    CControlDlg dlg(options);
    dlg.SetMode(1);
    Button(dlg, 1003)->click();
    QTRY_COMPARE_WITH_TIMEOUT(Button(dlg, 1003)->text(), QString("Считать с SD-карты список файлов"), 30000);
    ASSERT_EQ(dlg.ListView()->rowCount(), 2);
    dlg.ListView()->setCurrentCell(1, 0);

    // The download window stays open with its message until it is closed:
    // note the message, then close it (at the latest after a while, so that
    // a download that never ends fails here instead of hanging).
    QString shown;
    QTimer closer;
    int ticks = 0;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<CDownloadDlg*>(w);
            if (window && window->isVisible() && (!window->Downloading() || ++ticks > 600)) {
                shown = window->findChild<QLabel*>("id1025")->text();
                window->findChild<QPushButton*>("id1001")->click();
            }
        }
    });
    closer.start(50);
    const std::string path = m_Dir.File("cut.экг");
    m_Dialogs.QueueFile(path);
    Button(dlg, 1011)->click();
    closer.stop();

    EXPECT_TRUE(shown.startsWith("Ошибка при чтении данных с выбранного порта\n")) << shown.toStdString();
    EXPECT_EQ(m_Dialogs.Count(), 0u) << m_Dialogs.Messages()[0].text; // neither a failed-write box nor a second one
    EXPECT_FALSE(dlg.m_Port.IsOpen());
    EXPECT_EQ(dlg.m_PortSelect, 0);
    EXPECT_FALSE(dlg.Item(1011)->isEnabled());
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const uint32_t sectors = uint32_t(bytes.size() / kSectorSize);
    ASSERT_GT(sectors, 0u);
    const auto card = CardSectors(0x10000, sectors);
    EXPECT_TRUE(bytes == std::string(card.begin(), card.end()));
    EXPECT_EQ(static_cast<QLineEdit*>(dlg.Item(1012))->text().toStdString(),
              StrFormat("Скачивание прервано, файл %s содержит первые %u кбайт", path.c_str(), sectors / 2));
}

// A scan that loses the device shows the rows found, ends the list with the
// row of the sectors not read (nothing to download there) and says so in the
// status line and the console as well as in the read error's box.
TEST_F(ControlWindowList, ListCutShortByTheDeviceIsMarkedIncomplete)
{
    WriteRecording(0x10000, 0x1000F);
    WriteRecording(0x10010, 0x10011);
    ASSERT_TRUE(m_Card.SetFirstFree(0x10012));
    struct Case {
        bool hangup;
        int64_t bytes; // 15 for the first free sector, then 11 per short read
        int rowsBeforeTheCut;
    };
    for (const Case c :
         {Case{false, 15 + 11 * 2 + 4, 1}, Case{true, 15 + 11 * 2, 1}, Case{false, 15 + 11 * 3 + 5, 2}}) {
        SCOPED_TRACE((c.hangup ? "hang-up after " : "stall after ") + std::to_string(c.bytes));
        SimFaults faults;
        (c.hangup ? faults.hangupAfter : faults.stallAfter) = c.bytes;
        Serve(faults);
        m_Port->Close();
        SetComPortPathOverride(kSimPort, m_Server->PortPath());
        ControlDlgOptions options;
        options.portSelect = kSimPort;
        ConsoleCapture console;
        CControlDlg dlg(options);
        dlg.SetMode(1);
        Button(dlg, 1003)->click();
        QTRY_COMPARE_WITH_TIMEOUT(Button(dlg, 1003)->text(), QString("Считать с SD-карты список файлов"), 30000);

        QTableWidget* list = dlg.ListView();
        ASSERT_EQ(list->rowCount(), c.rowsBeforeTheCut + 1);
        EXPECT_EQ(list->item(0, 1)->text(), "0x10012");
        const int cut = list->rowCount() - 1;
        const QString boundary = list->item(cut - 1, 1)->text();
        const uint32_t unreadTop = boundary.toUInt(nullptr, 16) - 1;
        EXPECT_EQ(list->item(cut, 0)->text(), "обрыв");
        EXPECT_EQ(list->item(cut, 6)->text().toStdString(), StrFormat("не прочитано: 0x10000..0x%x", unreadTop));
        list->setCurrentCell(cut, 0);
        EXPECT_FALSE(dlg.Item(1011)->isEnabled()) << "the unread sectors are no recording to download";

        const std::string text = StrFormat("Список неполон: устройство перестало отвечать, сектора с 0x10000 по 0x%x "
                                           "не прочитаны (это не свободное место)",
                                           unreadTop);
        EXPECT_EQ(static_cast<QLineEdit*>(dlg.Item(1012))->text().toStdString(), text);
        EXPECT_NE(console.Text().find(text + "\n"), std::string::npos) << console.Text();
        // One box: the read error, or for a line that went away the port's,
        // which closes the port.
        ASSERT_EQ(m_Dialogs.Count(), 1u) << m_Dialogs.Messages()[1].caption;
        EXPECT_EQ(m_Dialogs.Messages()[0].caption,
                  c.hangup ? "ОШИБКА ПРИ РАБОТЕ С ПОРТОМ" : "ОШИБКА ЧТЕНИЯ SD-карты при загрузке списка файлов");
        EXPECT_EQ(dlg.m_Port.IsOpen(), !c.hangup);
        m_Dialogs.Clear();
        TearDown();
    }
}

// After a download that the device's silence ended, the STOP attempts that
// follow (seconds of them, for a device that answers nothing) leave the
// window's events running: a timer keeps ticking, and the control window
// takes no input until they are over.
TEST_F(ControlWindowList, StopAfterASilentDeviceKeepsTheWindowAlive)
{
    WriteRecording(0x10000, 0x103E7);
    ASSERT_TRUE(m_Card.SetFirstFree(0x103E8));
    SimFaults faults;
    faults.stallAfter = 100000; // during the stream, after the list's reads
    Serve(faults);
    m_Port->Close();
    SetComPortPathOverride(kSimPort, m_Server->PortPath());
    ControlDlgOptions options;
    options.portSelect = kSimPort;
    CControlDlg dlg(options);
    dlg.SetMode(1);
    dlg.m_DownloadWatch = DownloadWatch{300, 1000};
    Button(dlg, 1003)->click();
    QTRY_COMPARE_WITH_TIMEOUT(Button(dlg, 1003)->text(), QString("Считать с SD-карты список файлов"), 30000);
    ASSERT_EQ(dlg.ListView()->rowCount(), 2);
    dlg.ListView()->setCurrentCell(1, 0);

    bool closed = false;
    int ticksAfterClose = 0;
    bool disabledMeanwhile = false;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<CDownloadDlg*>(w);
            if (window && window->isVisible() && !window->Downloading()) {
                window->findChild<QPushButton*>("id1001")->click();
                closed = true;
                return;
            }
        }
        if (closed) {
            ++ticksAfterClose;
            disabledMeanwhile = disabledMeanwhile || !dlg.isEnabled();
        }
    });
    ticker.start(50);
    m_Dialogs.QueueFile(m_Dir.File("stalled.экг"));
    Button(dlg, 1011)->click();
    ticker.stop();

    ASSERT_TRUE(closed);
    // Ten STOPs of up to a second each, or five seconds: at 50 ms a tick, a
    // window held up by them would count none.
    EXPECT_GE(ticksAfterClose, 20);
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_TRUE(dlg.isEnabled());
    EXPECT_TRUE(dlg.TimerActive(1));
    EXPECT_TRUE(static_cast<QLineEdit*>(dlg.Item(1012))->text().startsWith("Скачивание прервано"))
        << static_cast<QLineEdit*>(dlg.Item(1012))->text().toStdString();
}
