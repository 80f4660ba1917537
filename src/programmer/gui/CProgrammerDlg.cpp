#include "CProgrammerDlg.h"

#include "AppIcon.h"
#include "CAboutDlg.h"
#include "ODialogs.h"
#include "OSettings.h"
#include "OpenHexFile.h"
#include "StrFormat.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTextEdit>
#include <QTimer>

namespace {
constexpr int kPortBaud = 57600;
constexpr int kTimer1Ms = 100;
constexpr int kTimer10Ms = 1;
constexpr int kPortCount = 16;
} // namespace

CProgrammerDlg::CProgrammerDlg(const ProgrammerDlgOptions& options, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint), m_Programmer(m_Port)
{
    setWindowTitle("Программирование Pic16F873A через СОМ-порт");
    setWindowIcon(AppIcon());
    CreateControls();
    // Qt windows have no system menu: the About box sits in the context menu
    // and on F1.
    auto* about = new QShortcut(QKeySequence::HelpContents, this);
    connect(about, &QShortcut::activated, this, &CProgrammerDlg::ShowAbout);

    m_Programmer.m_RefreshView = [this] { RefreshHexView(); };
    RefreshHexView();

    FillPortList();
    m_PortSelect = options.portSelect ? *options.portSelect : OSettings::GetInt("Options", "m_PortSelect", 0);
    m_PortList->setCurrentIndex(m_PortSelect >= 0 && m_PortSelect < m_PortList->count() ? m_PortSelect : -1);
    ReopenPort();

    m_Programmer.SendUserCmd();

    m_Timer1 = new QTimer(this);
    m_Timer1->setInterval(kTimer1Ms);
    connect(m_Timer1, &QTimer::timeout, this, [this] { m_Programmer.ReceiveMonitor(); });
    m_Timer1->start();
    m_Timer10 = new QTimer(this);
    m_Timer10->setInterval(kTimer10Ms);
    m_Timer10->setTimerType(Qt::PreciseTimer);
    connect(m_Timer10, &QTimer::timeout, this, [this] { m_Programmer.SendWakeUp(); });

    connect(m_PortList, &QComboBox::activated, this, &CProgrammerDlg::OnPortChosen);
    auto button = [this](int id) { return static_cast<QPushButton*>(Item(id)); };
    connect(button(1001), &QPushButton::clicked, this, &CProgrammerDlg::OnOpenHexFile);
    connect(button(1014), &QPushButton::toggled, this, &CProgrammerDlg::OnCaptureToggled);
    connect(button(1), &QPushButton::clicked, this, &QDialog::accept);
    connect(button(2), &QPushButton::clicked, this, &QDialog::reject);
    connect(button(1003), &QPushButton::clicked, this, [this] { Busy([this] { m_Programmer.ReadDevice(); }); });
    connect(button(1004), &QPushButton::clicked, this, &CProgrammerDlg::OnWrite);
    connect(button(1005), &QPushButton::clicked, this, [this] { Busy([this] { m_Programmer.VerifyDevice(); }); });
    connect(button(1006), &QPushButton::clicked, this, [this] { Busy([this] { m_Programmer.RunDevice(); }); });
    connect(button(1007), &QPushButton::clicked, this, [this] { m_Programmer.SendUserCmd(); });
}

CProgrammerDlg::~CProgrammerDlg()
{
    m_Port.Close();
}

void CProgrammerDlg::FillPortList()
{
    m_PortList->clear();
    m_PortList->addItem("Не выбран");
    for (int n = 1; n <= kPortCount; ++n)
        m_PortList->addItem(QString::fromStdString(StrFormat("COM%d", n)));
}

void CProgrammerDlg::ReopenPort()
{
    m_Port.Close();
    if (m_PortSelect == 0 || m_Port.Open(m_PortSelect, kPortBaud))
        return;
    m_PortSelect = 0;
    m_PortList->setCurrentIndex(0);
    Dialogs().Message(m_Port.LastErrorText, "ОШИБКА", MsgIcon::Error, MsgButtons::Ok);
}

void CProgrammerDlg::OnPortChosen(int index)
{
    m_PortSelect = index;
    OSettings::WriteInt("Options", "m_PortSelect", m_PortSelect);
    ReopenPort();
}

void CProgrammerDlg::OnOpenHexFile()
{
    if (OpenHexFile(m_Programmer.m_Image))
        RefreshHexView();
}

void CProgrammerDlg::OnWrite()
{
    // Writing replaces the device's program: asked first, "Нет" by default.
    if (Dialogs().Message(kWriteQuestion, "ВОПРОС", MsgIcon::Question, MsgButtons::YesNoDefaultNo) != MsgResult::Yes)
        return;
    Busy([this] { m_Programmer.WriteDevice(); });
}

void CProgrammerDlg::OnCaptureToggled(bool checked)
{
    if (checked)
        m_Timer10->start();
    else
        m_Timer10->stop();
}

template <typename Operation> void CProgrammerDlg::Busy(Operation operation)
{
    // The operations block the window on purpose: the receive timer must not
    // take their replies.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    operation();
    QApplication::restoreOverrideCursor();
}

void CProgrammerDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction("&О программе Brenna", this, &CProgrammerDlg::ShowAbout);
    menu.exec(event->globalPos());
}

void CProgrammerDlg::ShowAbout()
{
    CAboutDlg about(this);
    about.exec();
}
