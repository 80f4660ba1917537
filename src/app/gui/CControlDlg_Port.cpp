// Port and speed lists, (re)opening the port and the control-mode monitor.
#include "CControlDlg.h"

#include "Fatal.h"
#include "OConsole.h"
#include "ODialogs.h"
#include "OSettings.h"
#include "StrFormat.h"

#include <QComboBox>

#include <algorithm>

namespace {
constexpr int kPortCount = 16;
constexpr int kPortBaud = 57600;
constexpr int kMonitorDumpLimit = 512;
} // namespace

void CControlDlg::FillPortList()
{
    m_PortList->clear();
    m_PortList->addItem("Не выбран");
    for (int n = 1; n <= kPortCount; ++n)
        m_PortList->addItem(QString::fromStdString(StrFormat("COM%d", n)));
}

void CControlDlg::FillSpeedList()
{
    m_SpeedList->clear();
    for (const SpeedListEntry& entry : kSpeedList)
        m_SpeedList->addItem(entry.text, entry.code);
}

int CControlDlg::SpeedCode(int index) const
{
    return m_SpeedList->itemData(index).toInt();
}

bool CControlDlg::ReopenPort()
{
    m_Port.Close();
    m_Device.m_FastSpeedActive = 0;
    m_Live->RestartSilenceClock();
    LeaveLiveStatus(); // a silence note was about the port just closed
    const bool opened = m_PortSelect == 0 || m_Port.Open(m_PortSelect, kPortBaud);
    UpdateControlsEnabled();
    if (!opened) {
        // The list keeps showing the entry and the setting keeps the number,
        // so the same port is tried again at the next start.
        m_PortSelect = 0;
        Dialogs().Message(m_Port.LastErrorText, "ОШИБКА", MsgIcon::Error);
    }
    return opened;
}

void CControlDlg::OnPortChosen(int index)
{
    StopReadCheck(); // it reads the port that is about to close
    m_PortSelect = index;
    OSettings::WriteInt("Options", "m_PortSelect", m_PortSelect);
    ReopenPort();
}

void CControlDlg::OnSpeedChosen(int index)
{
    m_FastSpeedSelectorPos = index;
    m_Device.m_FastSpeedSelectorPos = index;
    OSettings::WriteInt("Options", "m_FastSpeedSelectorPos", m_FastSpeedSelectorPos);
}

bool CControlDlg::CloseOnReadError(bool tell)
{
    const uint32_t readError = m_Port.LastReadError.load();
    if (!m_Port.IsOpen() || readError == 0)
        return false;
    m_Port.Close();
    m_PortSelect = 0;
    UpdateControlsEnabled();
    if (tell)
        Dialogs().Message(ReadErrorText(readError), "ОШИБКА ПРИ РАБОТЕ С ПОРТОМ", MsgIcon::Error);
    return true;
}

std::string CControlDlg::ReadErrorText(uint32_t readError)
{
    return "Ошибка при чтении данных с выбранного порта\n" + SystemErrorText(readError) + "\n" +
           "Попробуйте выбрать порт заново\n";
}

void CControlDlg::ControlModeTick()
{
    int count = 0;
    m_Port.ReadAvailable(m_MonitorBuffer.data(), static_cast<int>(m_MonitorBuffer.size()), count);

    if (CloseOnReadError(true))
        return;
    WatchStopReply(m_MonitorBuffer.data(), count);
    if (count <= 0)
        return;
    // Bytes nobody asked for: shown, then dropped.
    std::string text = StrFormat("Принято %d байт: ", count);
    const int shown = std::min(count, kMonitorDumpLimit);
    for (int i = 0; i < shown; ++i) {
        if (i > 0)
            text += ", ";
        text += StrFormat("%02x", m_MonitorBuffer[static_cast<size_t>(i)]);
    }
    if (count > kMonitorDumpLimit)
        text += ", ...";
    text += "\n";
    Console().Write(text);
}
