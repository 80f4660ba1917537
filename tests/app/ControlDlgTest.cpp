// The control window without a device: start-up from the settings, modes,
// the lists and their settings, resizing.
#include "AppWindows.h"
#include "CControlDlg.h"
#include "CShowDataWindow.h"
#include "OSettings.h"
#include "PortNames.h"
#include "TempDir.h"
#include "TestDialogs.h"
#include "WindowFit.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

class ControlDlgTest : public testing::Test {
protected:
    void SetUp() override { UseFreshSettings(); }

    static QComboBox* Combo(CControlDlg& dlg, int id) { return static_cast<QComboBox*>(dlg.Item(id)); }
    static void ExpectPortControlsEnabled(CControlDlg& dlg, bool enabled)
    {
        for (int id : kGroupA)
            EXPECT_EQ(dlg.Item(id)->isEnabled(), enabled) << "control " << id;
        for (int id : kGroupB)
            EXPECT_EQ(dlg.Item(id)->isEnabled(), enabled) << "control " << id;
        // Never disabled:
        for (int id : {1000, 1019, 1035})
            EXPECT_TRUE(dlg.Item(id)->isEnabled()) << "control " << id;
    }

    TestDialogs m_Dialogs;
};

TEST_F(ControlDlgTest, FirstStartWithEmptySettingsIsQuietDisplayModeWithoutPort)
{
    CControlDlg dlg;
    EXPECT_EQ(m_Dialogs.Count(), 0u);
    EXPECT_EQ(dlg.m_Mode, 0);
    EXPECT_EQ(dlg.windowTitle(), "Brenna - визуализация ЭКГ");
    EXPECT_TRUE(dlg.TimerActive(10));
    EXPECT_FALSE(dlg.TimerActive(1));
    // The first switch to display mode repaints although 0 looks like the default.
    EXPECT_EQ(dlg.FullRepaintRequests(), 1);

    EXPECT_EQ(Combo(dlg, 1000)->currentText(), "Не выбран");
    ASSERT_EQ(Combo(dlg, 1000)->count(), 17);
    EXPECT_EQ(Combo(dlg, 1000)->itemText(16), "COM16");
    EXPECT_EQ(dlg.m_PortSelect, 0);
    EXPECT_FALSE(dlg.m_Port.IsOpen());

    EXPECT_EQ(Combo(dlg, 1008)->currentText(), "921600");
    EXPECT_EQ(dlg.m_FastSpeedSelectorPos, 3);
    EXPECT_EQ(dlg.m_Device.m_FastSpeedSelectorPos, 3);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dlg.SpeedCode(i), kSpeedList[i].code);

    ExpectPortControlsEnabled(dlg, false);
    for (int id : kGroupA)
        EXPECT_TRUE(dlg.Item(id)->isHidden()) << "control " << id;
    for (int id : {1016, 1021, 1005, 1004, 1007})
        EXPECT_TRUE(dlg.Item(id)->isHidden()) << "control " << id;
    EXPECT_FALSE(dlg.Item(1035)->isHidden());
    EXPECT_FALSE(static_cast<QLineEdit*>(dlg.Item(1012))->isReadOnly());

    EXPECT_EQ(dlg.m_CurrentFileStartAdr, 0xFFFFFFFFu);
    EXPECT_EQ(dlg.m_ChartTop, dlg.Item(1016)->geometry().top());
    EXPECT_GT(dlg.m_ChartTop, dlg.Item(1035)->geometry().top());
    EXPECT_EQ(dlg.FastSpeedActive(), 0);

    QTableWidget* list = dlg.ListView();
    ASSERT_EQ(list->columnCount(), 7);
    EXPECT_EQ(list->horizontalHeaderItem(0)->text(), "№");
    EXPECT_EQ(list->horizontalHeaderItem(6)->text(), " Примечание ");
    EXPECT_EQ(list->rowCount(), 0);
}

TEST_F(ControlDlgTest, ModesShowTheirControlsAndRunTheirTimer)
{
    CControlDlg dlg;
    dlg.SetMode(0);
    EXPECT_EQ(dlg.FullRepaintRequests(), 1) << "same mode: no repaint";

    dlg.SetMode(1);
    EXPECT_EQ(dlg.FullRepaintRequests(), 2);
    EXPECT_EQ(dlg.windowTitle(), "Brenna - режим управления с компа (скачивание и обработка ЭКГ)");
    for (int id : kGroupA)
        EXPECT_FALSE(dlg.Item(id)->isHidden()) << "control " << id;
    EXPECT_TRUE(dlg.Item(1035)->isHidden());
    EXPECT_TRUE(static_cast<QLineEdit*>(dlg.Item(1012))->isReadOnly());
    EXPECT_TRUE(dlg.TimerActive(1));
    EXPECT_FALSE(dlg.TimerActive(10));

    dlg.SetTimersForMode(-1);
    EXPECT_FALSE(dlg.TimerActive(1));
    EXPECT_FALSE(dlg.TimerActive(10));
    dlg.SetTimersForMode(dlg.m_Mode);
    EXPECT_TRUE(dlg.TimerActive(1));

    dlg.SetMode(0);
    EXPECT_EQ(dlg.FullRepaintRequests(), 3);
    EXPECT_TRUE(dlg.Item(1023)->isHidden());
    EXPECT_TRUE(dlg.TimerActive(10));
    EXPECT_FALSE(dlg.TimerActive(1));
}

TEST_F(ControlDlgTest, StoredSpeedIndexIsClampedAndChoicesAreStored)
{
    const struct {
        int stored;
        const char* shown;
    } cases[] = {{-5, "57600"}, {7, "921600"}, {2, "806400"}};
    for (const auto& c : cases) {
        OSettings::WriteInt("Options", "m_FastSpeedSelectorPos", c.stored);
        CControlDlg dlg;
        EXPECT_EQ(Combo(dlg, 1008)->currentText(), c.shown) << "stored " << c.stored;
        EXPECT_EQ(dlg.m_Device.m_FastSpeedSelectorPos, dlg.m_FastSpeedSelectorPos);
        // Reading does not write the clamped value back.
        EXPECT_EQ(OSettings::GetInt("Options", "m_FastSpeedSelectorPos", 100), c.stored);
    }

    CControlDlg dlg;
    Combo(dlg, 1008)->setCurrentIndex(1);
    emit Combo(dlg, 1008)->activated(1);
    EXPECT_EQ(dlg.m_FastSpeedSelectorPos, 1);
    EXPECT_EQ(dlg.m_Device.m_FastSpeedSelectorPos, 1);
    EXPECT_EQ(OSettings::GetInt("Options", "m_FastSpeedSelectorPos", 100), 1);
    EXPECT_EQ(m_Dialogs.Count(), 0u);
}

TEST_F(ControlDlgTest, StoredPortThatNoLongerExistsIsReportedOnEveryStartAndKept)
{
    TempDir folder;
    const std::string missing = folder.File("ttyGone");
    SetComPortPathOverride(7, missing);
    OSettings::WriteInt("Options", "m_PortSelect", 7);
    for (size_t start = 1; start <= 2; ++start) {
        CControlDlg dlg;
        ASSERT_EQ(m_Dialogs.Count(), start);
        const RecordedMessage message = m_Dialogs.Messages().back();
        EXPECT_EQ(message.caption, "ОШИБКА");
        EXPECT_EQ(message.icon, MsgIcon::Error);
        EXPECT_NE(message.text.find(missing), std::string::npos) << message.text;
        EXPECT_EQ(dlg.m_PortSelect, 0);
        EXPECT_FALSE(dlg.m_Port.IsOpen());
        EXPECT_EQ(Combo(dlg, 1000)->currentText(), "COM7");
        ExpectPortControlsEnabled(dlg, false);
        EXPECT_EQ(OSettings::GetInt("Options", "m_PortSelect", 0), 7);
    }
}

TEST_F(ControlDlgTest, StoredPortBeyondTheListLeavesItUnselectedButIsTried)
{
    TempDir folder;
    SetComPortPathOverride(20, folder.File("ttyTwenty"));
    OSettings::WriteInt("Options", "m_PortSelect", 20);
    CControlDlg dlg;
    EXPECT_EQ(Combo(dlg, 1000)->currentIndex(), -1);
    ASSERT_EQ(m_Dialogs.Count(), 1u);
    EXPECT_NE(m_Dialogs.Messages()[0].text.find("ttyTwenty"), std::string::npos);
}

TEST_F(ControlDlgTest, ListViewFollowsTheWindowSize)
{
    CControlDlg dlg;
    dlg.show();
    const QPoint topLeft = dlg.ListView()->geometry().topLeft();
    const int repaints = dlg.FullRepaintRequests();
    dlg.resize(1300, 900);
    const QRect list = dlg.ListView()->geometry();
    EXPECT_EQ(list.topLeft(), topLeft);
    EXPECT_EQ(list.left() + list.width(), 1300 - 10);
    EXPECT_EQ(list.top() + list.height(), 900 - 10);
    EXPECT_GT(dlg.FullRepaintRequests(), repaints);
}

TEST_F(ControlDlgTest, ListCellsTakeTheirColumnsAlignment)
{
    CControlDlg dlg;
    dlg.SetListCell(1, 0, "2");
    dlg.SetListCell(1, 3, "1024");
    dlg.SetListCell(1, 6, "note");
    dlg.SetListCell(0, 9, "ignored");
    QTableWidget* list = dlg.ListView();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_TRUE(list->item(1, 0)->textAlignment() & Qt::AlignHCenter);
    EXPECT_TRUE(list->item(1, 3)->textAlignment() & Qt::AlignRight);
    EXPECT_TRUE(list->item(1, 6)->textAlignment() & Qt::AlignLeft);
}

TEST_F(ControlDlgTest, AnalysisWindowOutlivesTheControlWindowAndOpensOnce)
{
    // "Смена прошивки" ends the control window; the analysis window opened
    // from it keeps its results.
    QPointer<QWidget> analysis;
    {
        CControlDlg dlg;
        dlg.show();
        auto* button = static_cast<QPushButton*>(dlg.Item(1019));
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(button, Qt::LeftButton);
        int made = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<CShowDataWindow*>(w) != nullptr) {
                analysis = w;
                ++made;
            }
        EXPECT_EQ(made, 1);
    }
    ASSERT_FALSE(analysis.isNull());
    EXPECT_TRUE(analysis->isVisible());
    ReleaseKeptWindows();
    EXPECT_TRUE(analysis.isNull());
}

TEST_F(ControlDlgTest, AtItsMinimumSizeEveryControlIsWholeAndTheNumberColumnCentred)
{
    CControlDlg dlg;
    dlg.show();
    dlg.resize(1, 1);
    ASSERT_EQ(dlg.size(), dlg.minimumSize());
    EXPECT_GT(dlg.minimumWidth(), 300);
    for (int mode : {0, 1}) {
        dlg.SetMode(mode);
        EXPECT_EQ(CutOffControls(dlg).join("; ").toStdString(), "") << "mode " << mode;
    }
    const QTableWidgetItem* title = dlg.ListView()->horizontalHeaderItem(0);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "№");
    EXPECT_TRUE(title->textAlignment() & Qt::AlignHCenter);
    // Wide enough for a number to stand centred under the sign.
    EXPECT_GE(dlg.ListView()->columnWidth(0), dlg.ListView()->fontMetrics().horizontalAdvance("0000") + 16);
}

} // namespace
