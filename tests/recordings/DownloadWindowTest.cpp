// The download window and the list glue of the control window.
#include "CDownloadDlg.h"
#include "CListScanThread.h"
#include "PtyStreamFixture.h"
#include "TestDialogs.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

class DownloadWindow : public StreamFixture {
protected:
    void Open(uint32_t total, DownloadWatch watch = {})
    {
        ASSERT_TRUE(m_File.Create(m_Dir.File("out.экг")));
        m_Window = std::make_unique<CDownloadDlg>(m_Port, m_File, total, nullptr, watch);
        m_Window->open();
    }
    QString Text() const { return m_Window->findChild<QLabel*>("id1025")->text(); }
    QPushButton* Button() const { return m_Window->findChild<QPushButton*>("id1001"); }
    void Press(Qt::Key key) { QTest::keyClick(m_Window.get(), key); }

    TestDialogs m_Dialogs;
    std::unique_ptr<CDownloadDlg> m_Window;
};

} // namespace

TEST_F(DownloadWindow, ClosesItselfWhenEverySectorArrived)
{
    Open(2);
    EXPECT_EQ(Text(), "Сейчас начнется скачивание файла с SD-карты ...");
    EXPECT_EQ(Button()->text(), "Отменить чтение");
    EXPECT_EQ(m_Window->findChild<QProgressBar*>("id1024")->maximum(), 1);
    SendFrames(0, 2);
    QTRY_VERIFY_WITH_TIMEOUT(!m_Window->isVisible(), 20000);
    EXPECT_EQ(m_Window->result(), CDownloadDlg::kFinished);
    m_File.Close();
    EXPECT_EQ(FileBytes(), Sectors(2));
}

TEST_F(DownloadWindow, EscapeAsksAndOnlyYesAborts)
{
    Open(0); // unknown total: the progress bar counts modulo 2048
    EXPECT_EQ(m_Window->findChild<QProgressBar*>("id1024")->maximum(), 2047);
    SendFrames(0, 3);
    QTRY_COMPARE_WITH_TIMEOUT(m_Window->ReceivedSectors(), 3u, 20000);

    m_Dialogs.QueueAnswer(MsgResult::No);
    Press(Qt::Key_Escape);
    ASSERT_EQ(m_Dialogs.Count(), 1u);
    EXPECT_EQ(m_Dialogs.Messages()[0].text, "Прервать скачивание файла?");
    EXPECT_EQ(m_Dialogs.Messages()[0].caption, "ВОПРОС");
    EXPECT_EQ(m_Dialogs.Messages()[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_TRUE(m_Window->isVisible());
    Press(Qt::Key_Return); // Enter does nothing
    EXPECT_TRUE(m_Window->isVisible());

    // The download goes on after No.
    SendFrames(3, 2);
    QTRY_COMPARE_WITH_TIMEOUT(m_Window->ReceivedSectors(), 5u, 20000);

    m_Dialogs.QueueAnswer(MsgResult::Yes);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(m_Window->isVisible());
    EXPECT_EQ(m_Window->result(), QDialog::Rejected);
    m_File.Close();
    EXPECT_EQ(FileBytes(), Sectors(5));
}

TEST_F(DownloadWindow, ErrorShowsItsTextAndClosesWithoutQuestion)
{
    Open(10);
    SendFrames(0, 4);
    Send({0x08});
    QTRY_VERIFY_WITH_TIMEOUT(!m_Window->Downloading(), 20000);
    EXPECT_EQ(Text(), "Ошибка чтения, ответ SD-карты = 0x08 (out of range) вместо 0xfe, было загружено 2 кбайт");
    EXPECT_EQ(Button()->text(), "Закрыть");
    EXPECT_TRUE(m_Window->findChild<QLabel*>("id1027")->isVisible());
    Press(Qt::Key_Escape);
    EXPECT_FALSE(m_Window->isVisible());
    EXPECT_EQ(m_Dialogs.Count(), 0u);
    m_File.Close();
    EXPECT_EQ(FileBytes(), Sectors(4));
}

TEST_F(DownloadWindow, SilentOrLostLineIsShownAndEndsTheDownload)
{
    struct Case {
        const char* name;
        bool hangUp;
        const char* text;
    };
    const Case cases[] = {
        {"silence", false,
         "Нет данных от устройства 4 с, скачивание прервано.\nПроверенных секторов в файле: 3 (1 кбайт)"},
        {"hang-up", true, "Ошибка при чтении данных с выбранного порта\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(10, DownloadWatch{1000, 4000});
        SendFrames(0, 3);
        if (c.hangUp) {
            ::close(m_Master);
            m_Master = -1;
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(Text().contains("\nНет данных от устройства "), 20000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!m_Window->Downloading(), 20000);
        EXPECT_TRUE(Text().startsWith(c.text)) << Text().toStdString();
        EXPECT_EQ(Button()->text(), "Закрыть");
        EXPECT_EQ(m_Dialogs.Count(), 0u);
        m_Window->close();
        m_File.Close();
        EXPECT_EQ(FileBytes(), Sectors(3));
    }
}

TEST(DownloadButton, FollowsTheCurrentRow)
{
    QTableWidget list(3, 7);
    QPushButton button;
    const RecordingRow rows[] = {FirstFreeRow(0x10100), RecordingEntryRow(1, 0x10000, 0x100FF, "", 0), StopRow()};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 7; ++c)
            list.setItem(r, c, new QTableWidgetItem(QString::fromStdString(rows[r][size_t(c)])));
    list.setCurrentCell(-1, -1);
    list.clearSelection();
    UpdateDownloadButton(&list, &button);
    EXPECT_FALSE(button.isEnabled());
    const bool expected[] = {true, true, false}; // the first row counts, "стоп" does not
    for (int r = 0; r < 3; ++r) {
        list.setCurrentCell(r, 0);
        UpdateDownloadButton(&list, &button);
        EXPECT_EQ(button.isEnabled(), expected[r]) << "row " << r;
    }
    EXPECT_EQ(ListRowTexts(&list, 1), rows[1]);
}
