// The programmer window offscreen: its controls, the hex view with its marks,
// the port list, and the buttons against the simulated monitor.
#include "AppWindows.h"
#include "CProgrammerDlg.h"
#include "ConsoleCapture.h"
#include "MonitorOnPty.h"
#include "OSettings.h"
#include "PortNames.h"
#include "TempDir.h"
#include "TestDialogs.h"
#include "WindowFit.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include <fstream>

namespace {

QTextEdit* HexView(CProgrammerDlg& window)
{
    return window.findChild<QTextEdit*>("id1002");
}

QString ViewLine(CProgrammerDlg& window, int line)
{
    return HexView(window)->document()->findBlockByNumber(line).text();
}

// Whether the word at (line, word in line) is shown bold and blue.
bool Marked(CProgrammerDlg& window, int line, int wordInLine)
{
    const QTextBlock block = HexView(window)->document()->findBlockByNumber(line);
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + 8 + 6 * wordInLine + 1);
    const QTextCharFormat format = cursor.charFormat();
    return format.fontWeight() == QFont::Bold && format.foreground().color() == QColor(0, 0, 255);
}

void Click(CProgrammerDlg& window, int id)
{
    QTest::mouseClick(window.findChild<QPushButton*>(QString("id%1").arg(id)), Qt::LeftButton);
}

std::vector<std::string> Texts(const TestDialogs& dialogs)
{
    std::vector<std::string> texts;
    for (const RecordedMessage& m : dialogs.Messages())
        texts.push_back(m.text);
    return texts;
}

} // namespace

TEST(ProgrammerWindow, StartsWithErasedImageAndNoPort)
{
    UseFreshSettings();
    TestDialogs dialogs;
    CProgrammerDlg window;
    EXPECT_EQ(window.windowTitle(), "Программирование Pic16F873A через СОМ-порт");
    const std::pair<int, const char*> buttons[] = {{1001, "Открыть HEX - файл ..."},
                                                   {1014, "Захват\nпрогр."},
                                                   {1, "OK"},
                                                   {2, "Cancel"},
                                                   {1003, "Прочесть"},
                                                   {1007, "USER CMD"},
                                                   {1004, "ЗАПИСАТЬ"},
                                                   {1005, "Проверка"},
                                                   {1006, "ПУСК!!!"}};
    for (const auto& [id, text] : buttons) {
        auto* button = window.findChild<QPushButton*>(QString("id%1").arg(id));
        ASSERT_NE(button, nullptr) << id;
        EXPECT_EQ(button->text(), QString::fromUtf8(text));
    }
    EXPECT_TRUE(window.findChild<QPushButton*>("id1014")->isCheckable());
    EXPECT_TRUE(window.findChild<QPushButton*>("id1007")->isHidden());
    auto* ports = window.findChild<QComboBox*>("id1000");
    ASSERT_EQ(ports->count(), 17);
    EXPECT_EQ(ports->itemText(0), "Не выбран");
    EXPECT_EQ(ports->itemText(16), "COM16");
    EXPECT_EQ(ports->currentIndex(), 0);

    QTextEdit* view = HexView(window);
    EXPECT_TRUE(view->isReadOnly());
    EXPECT_EQ(view->document()->blockCount(), 512);
    EXPECT_EQ(ViewLine(window, 0), "0000    3fff  3fff  3fff  3fff  3fff  3fff  3fff  3fff  ");
    EXPECT_EQ(ViewLine(window, 511).left(8), "1FF0    ");
    EXPECT_FALSE(Marked(window, 0, 0));
    const QFont font = QTextCursor(view->document()).charFormat().font();
    EXPECT_EQ(font.pointSize(), 11);
    EXPECT_EQ(dialogs.Count(), 0u);
}

TEST(ProgrammerWindow, HexViewGrowsWithTheWindowWhichNeverCutsAControl)
{
    UseFreshSettings();
    TestDialogs dialogs;
    CProgrammerDlg window;
    window.show();
    window.resize(1, 1);
    ASSERT_EQ(window.size(), window.minimumSize());
    EXPECT_EQ(CutOffControls(window).join("; ").toStdString(), "");
    const QRect view = HexView(window)->geometry();
    const QRect ok = window.Item(1)->geometry();
    window.resize(window.width() + 200, window.height() + 100);
    EXPECT_EQ(HexView(window)->geometry(), view.adjusted(0, 0, 200, 100));
    EXPECT_EQ(window.Item(1)->geometry(), ok.translated(200, 100));
    EXPECT_EQ(CutOffControls(window).join("; ").toStdString(), "");
}

TEST(ProgrammerWindow, PortThatCannotBeOpenedIsDeselected)
{
    UseFreshSettings();
    TempDir dir;
    SetComPortPathOverride(5, dir.File("gone"));
    OSettings::WriteInt("Options", "m_PortSelect", 5);
    TestDialogs dialogs;
    CProgrammerDlg window;
    ASSERT_EQ(dialogs.Count(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "ОШИБКА");
    EXPECT_EQ(dialogs.Messages()[0].text.rfind("Не могу открыть выбранный порт " + dir.File("gone") + "\n", 0), 0u);
    EXPECT_EQ(window.PortSelect(), 0);
    EXPECT_EQ(window.findChild<QComboBox*>("id1000")->currentIndex(), 0);
    EXPECT_EQ(OSettings::GetInt("Options", "m_PortSelect", 0), 5);
}

TEST(ProgrammerWindow, PortFromTheCommandLineWinsOverTheStoredOneAndIsNotStored)
{
    // brenna --programmer --port P: the window registered under the option
    // opens P, as the control window does, and leaves the setting alone.
    UseFreshSettings();
    TempDir dir;
    MonitorOnPty monitor;
    SetComPortPathOverride(4, monitor.SlavePath());
    SetComPortPathOverride(6, dir.File("gone"));
    OSettings::WriteInt("Options", "m_PortSelect", 6);
    TestDialogs dialogs;
    const AppWindowInfo* info = FindAppWindow(kProgrammerWindowOption);
    ASSERT_NE(info, nullptr);
    SetStartPort(4);
    std::unique_ptr<QWidget> made = info->make("");
    SetStartPort(std::nullopt);
    auto* window = qobject_cast<CProgrammerDlg*>(made.get());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->PortSelect(), 4) << (dialogs.Count() ? dialogs.Messages()[0].text : "");
    EXPECT_EQ(window->findChild<QComboBox*>("id1000")->currentText(), "COM4");
    EXPECT_EQ(dialogs.Count(), 0u);
    EXPECT_EQ(OSettings::GetInt("Options", "m_PortSelect", 0), 6);
}

TEST(ProgrammerWindow, LoadVerifyWriteAndCaptureWithTheMonitor)
{
    UseFreshSettings();
    SimMonitorOptions options;
    options.protectFrom = 1; // nothing protected
    options.protectTo = 0;
    MonitorOnPty monitor(options);
    monitor.With([](OSimMonitor& m) { m.SetWord(8, 0x2001); });
    SetComPortPathOverride(3, monitor.SlavePath());
    OSettings::WriteInt("Options", "m_PortSelect", 3);
    TestDialogs dialogs;
    ConsoleCapture console;
    CProgrammerDlg window;
    ASSERT_EQ(window.PortSelect(), 3) << (dialogs.Count() ? dialogs.Messages()[0].text : "");
    window.Programmer().m_ReplyTimeoutMs = 5000; // a loaded test machine may be slow to answer

    TempDir dir;
    std::ofstream(dir.File("fw.hex")) << ":040000000120831642\n";
    dialogs.QueueFile(dir.File("fw.hex"));
    Click(window, 1001);
    EXPECT_EQ(ViewLine(window, 0), "0000    2001  1683  3fff  3fff  3fff  3fff  3fff  3fff  ");
    EXPECT_TRUE(Marked(window, 0, 0));
    EXPECT_TRUE(Marked(window, 0, 1));
    EXPECT_FALSE(Marked(window, 0, 2));

    Click(window, 1005);
    EXPECT_EQ(Texts(dialogs), std::vector<std::string>{"Данные не совпадают"});
    EXPECT_TRUE(Marked(window, 0, 0));
    EXPECT_TRUE(Marked(window, 1, 0)) << "the device holds a word the image does not";
    EXPECT_NE(console.Text().find("i = 0\n"), std::string::npos);

    // "ЗАПИСАТЬ" asks first, with "Нет" as the default; anything but Yes
    // leaves the device alone.
    dialogs.Clear();
    dialogs.QueueAnswer(MsgResult::No);
    Click(window, 1004);
    ASSERT_EQ(dialogs.Count(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, kWriteQuestion);
    EXPECT_EQ(dialogs.Messages()[0].buttons, MsgButtons::YesNoDefaultNo);
    monitor.With([](OSimMonitor& m) { EXPECT_EQ(m.Word(0), 0x3FFF); });

    dialogs.Clear();
    dialogs.QueueAnswer(MsgResult::Yes);
    Click(window, 1004);
    EXPECT_EQ(Texts(dialogs), (std::vector<std::string>{kWriteQuestion, "Все в порядке, данные одинаковы !"}));
    EXPECT_FALSE(Marked(window, 0, 0));
    EXPECT_FALSE(Marked(window, 1, 0));
    monitor.With([](OSimMonitor& m) {
        EXPECT_EQ(m.Word(0), 0x2001);
        EXPECT_EQ(m.Word(8), 0x3FFF);
    });

    int wakeUps = 0;
    monitor.With([&](OSimMonitor& m) { wakeUps = m.WakeUps(); });
    Click(window, 1014);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            int now = 0;
            monitor.With([&](OSimMonitor& m) { now = m.WakeUps(); });
            return now >= wakeUps + 20;
        },
        20000));
    Click(window, 1014);
    EXPECT_FALSE(window.findChild<QPushButton*>("id1014")->isChecked());
}
