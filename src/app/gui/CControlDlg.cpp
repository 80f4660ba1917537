#include "CControlDlg.h"

#include "AppIcon.h"
#include "AppWindows.h"
#include "CAboutDlg.h"
#include "OSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>

namespace {
constexpr int kTimer1Ms = 25;
constexpr int kTimer10Ms = 20;
// Stands for "no mode yet", so that the first SetMode always repaints.
constexpr int kModeUnset = 1234;
} // namespace

CControlDlg::CControlDlg(const ControlDlgOptions& options, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint), m_MonitorBuffer(8192)
{
    setWindowTitle("Brenna - программа для взаимодействия");
    setSizeGripEnabled(true);
    CreateControls();
    m_Timer1 = new QTimer(this);
    m_Timer10 = new QTimer(this);
    m_Timer1->setInterval(kTimer1Ms);
    m_Timer10->setInterval(kTimer10Ms);
    connect(m_Timer1, &QTimer::timeout, this, &CControlDlg::ControlModeTick);
    connect(m_Timer10, &QTimer::timeout, this, &CControlDlg::OnLiveTimer);

    // The About box: Qt windows have no system menu, so it sits in the
    // window's context menu and on F1.
    auto* about = new QShortcut(QKeySequence::HelpContents, this);
    connect(about, &QShortcut::activated, this, &CControlDlg::ShowAbout);
    setWindowIcon(AppIcon());

    InitLive();
    m_ChartTop = m_ChartMark->geometry().top();
    m_CurrentFileStartAdr = static_cast<uint32_t>(OSettings::GetInt("Info", "m_CurrentFileStartAdr", -1));

    FillPortList();
    m_Mode = kModeUnset;
    SetMode(0);

    m_PortSelect = options.portSelect ? *options.portSelect : OSettings::GetInt("Options", "m_PortSelect", 0);
    // A stored number beyond the list leaves it without selection but is
    // still tried.
    m_PortList->setCurrentIndex(m_PortSelect >= 0 && m_PortSelect < m_PortList->count() ? m_PortSelect : -1);
    ReopenPort();

    FillSpeedList();
    m_FastSpeedSelectorPos = std::clamp(OSettings::GetInt("Options", "m_FastSpeedSelectorPos", 100), 0, 3);
    m_Device.m_FastSpeedSelectorPos = m_FastSpeedSelectorPos;
    m_SpeedList->setCurrentIndex(m_FastSpeedSelectorPos);

    SetUpListColumns();
    connect(m_PortList, &QComboBox::activated, this, &CControlDlg::OnPortChosen);
    connect(m_SpeedList, &QComboBox::activated, this, &CControlDlg::OnSpeedChosen);
    connect(static_cast<QPushButton*>(Item(1)), &QPushButton::clicked, this, &QDialog::accept);
    connect(static_cast<QPushButton*>(Item(2)), &QPushButton::clicked, this, &QDialog::reject);
    connect(static_cast<QPushButton*>(Item(1019)), &QPushButton::clicked, this, &CControlDlg::OpenAnalysis);
    ConnectDeviceButtons();
    ConnectLiveActions();
    ConnectListActions();

    InitListScan();
    RefreshListControls();
}

CControlDlg::~CControlDlg()
{
    // The list scan and the read check use the port: they end first.
    ShutdownListScan();
    StopReadCheck();
    m_Port.Close();
    ShutdownLive();
}

QWidget* CControlDlg::Item(int id) const
{
    const auto found = m_Controls.find(id);
    return found == m_Controls.end() ? nullptr : found->second;
}

void CControlDlg::SetMode(int mode)
{
    setWindowTitle(mode == 0 ? "Brenna - визуализация ЭКГ"
                             : "Brenna - режим управления с компа (скачивание и обработка ЭКГ)");
    if (mode != m_Mode)
        InvalidateAll();
    if (m_Mode == 0 && mode != 0)
        LeaveLiveStatus();
    m_Mode = mode;
    SetTimersForMode(mode);
    for (int id : kGroupA)
        Item(id)->setVisible(mode == 1);
    m_FilterCheck->setVisible(mode == 0);
    m_StatusEdit->setReadOnly(mode > 0);
}

void CControlDlg::SetTimersForMode(int mode)
{
    if (mode == 0) {
        m_Timer1->stop();
        if (!m_Timer10->isActive())
            m_Live->RestartSilenceClock();
        m_Timer10->start();
    } else if (mode == 1) {
        m_Timer10->stop();
        m_Timer1->start();
    } else {
        m_Timer1->stop();
        m_Timer10->stop();
    }
}

bool CControlDlg::TimerActive(int id) const
{
    if (id == 1)
        return m_Timer1->isActive();
    if (id == 10)
        return m_Timer10->isActive();
    return false;
}

void CControlDlg::UpdateControlsEnabled()
{
    // While the read check or the list scan runs, only its own button (which
    // stops it) may touch the device; during a download nothing may. The
    // port stays as it is meanwhile.
    const bool open = m_Port.IsOpen();
    const bool enabled = open && !DeviceBusy();
    for (int id : kGroupA)
        Item(id)->setEnabled(enabled);
    for (int id : kGroupB)
        Item(id)->setEnabled(enabled);
    Item(1018)->setEnabled(open && !m_ListScanning && !m_Downloading);
    Item(1003)->setEnabled(open && !ReadCheckRunning() && !m_Downloading);
    m_PortList->setEnabled(!DeviceBusy());
}

void CControlDlg::InvalidateAll()
{
    ++m_FullRepaintRequests;
    update();
}

void CControlDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_List == nullptr)
        return;
    // The list keeps its left and top edges and reaches to 10 pixels short of
    // the right and bottom edges; the status line spans the width likewise.
    const QRect list = m_List->geometry();
    m_List->setGeometry(list.left(), list.top(), width() - list.left() - 10, height() - list.top() - 10);
    const QRect status = m_StatusEdit->geometry();
    m_StatusEdit->setGeometry(status.left(), status.top(), width() - 2 * status.left(), status.height());
    InvalidateAll();
}

void CControlDlg::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    if (m_Mode != 0)
        return;
    QPainter painter(this);
    DrawLiveChart(painter);
}

void CControlDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction("&О программе Brenna", this, &CControlDlg::ShowAbout);
    menu.exec(event->globalPos());
}

void CControlDlg::ShowAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CControlDlg::OpenAnalysis()
{
    ShowKeptWindow(kAnalysisWindowOption);
}
