// The control window's recording list and download against the simulated
// device: the list button with its scan thread, then the download button.
#include "CControlDlg.h"
#include "PortNames.h"
#include "SimCardFixture.h"
#include "TestDialogs.h"

#include <QPushButton>
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
    EXPECT_TRUE(dlg.TimerActive(1));
    EXPECT_EQ(m_Dialogs.Count(), 0u) << m_Dialogs.Messages()[0].text;
}
