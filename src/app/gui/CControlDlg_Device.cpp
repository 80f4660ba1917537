// The device buttons: each one device operation; the first-free-sector
// operations put their result into edit 1013.
#include "CControlDlg.h"

#include "StrFormat.h"

#include <QLineEdit>
#include <QPushButton>

void CControlDlg::ConnectDeviceButtons()
{
    m_Device.m_SetMode = [this](int mode) { SetMode(mode); };
    const auto onClick = [this](int id, auto handler) {
        connect(static_cast<QPushButton*>(Item(id)), &QPushButton::clicked, this, handler);
    };
    onClick(1001, [this] { OnStop(); });
    onClick(1006, [this] {
        RunDeviceAction(0, [this] {
            m_Device.InitCard();
            return std::optional<std::string>();
        });
    });
    onClick(1018, [this] { OnReadCheck(); });
    onClick(1017, [this] { RunDeviceAction(1013, [this] { return m_Device.ShowFirstFreeSector(); }); });
    onClick(1020, [this] {
        const std::string typed = m_FirstFreeEdit->text().toStdString();
        RunDeviceAction(1013, [this, typed] { return m_Device.SetFirstFreeSectorByHand(typed); });
    });
    onClick(1010, [this] { RunDeviceAction(1013, [this] { return m_Device.FormatCard(); }); });
}

void CControlDlg::OnStop()
{
    RunDeviceAction(0, [this] {
        m_Device.SendStop();
        return std::optional<std::string>();
    });
    SetMode(1);
    AwaitStopReply();
}

void CControlDlg::RunDeviceAction(int editResultId, const std::function<std::optional<std::string>()>& action)
{
    // The exchange polls the port itself; a message box it shows runs a
    // nested event loop, where the monitor must not take the reply away.
    SetTimersForMode(-1);
    const std::optional<std::string> text = action();
    SetTimersForMode(m_Mode);
    if (text && editResultId == 1013)
        m_FirstFreeEdit->setText(QString::fromStdString(*text));
}

void CControlDlg::OnReadCheck()
{
    if (ReadCheckRunning()) {
        m_ReadCheckCancel.store(true, std::memory_order_release);
        return;
    }
    // The start may show a message: it stays on this thread.
    SetTimersForMode(-1);
    if (!m_Device.StartReadCheck()) {
        SetTimersForMode(m_Mode);
        return;
    }
    m_ReadCheckCancel.store(false);
    m_ReadCheckThread = std::thread([this] {
        const int frames = m_Device.DumpReadCheckFrames(1000000000, &m_ReadCheckCancel);
        m_Device.EndReadCheck();
        QMetaObject::invokeMethod(
            this, [this, frames] { OnReadCheckDone(frames); }, Qt::QueuedConnection);
    });
    static_cast<QPushButton*>(Item(1018))->setText(kReadCheckStopText);
    ShowStatus("Идет проверка чтения SD-карты, кадры выводятся в консоль (Esc - остановить)");
    UpdateControlsEnabled();
}

void CControlDlg::OnReadCheckDone(int frames)
{
    if (!ReadCheckRunning())
        return; // StopReadCheck has seen it end already
    m_ReadCheckThread.join();
    static_cast<QPushButton*>(Item(1018))->setText(kReadCheckText);
    ShowStatus(QString::fromStdString(StrFormat("Проверка чтения окончена, принято кадров: %d", frames)));
    UpdateControlsEnabled();
    SetTimersForMode(m_Mode);
}

void CControlDlg::StopReadCheck()
{
    if (!ReadCheckRunning())
        return;
    m_ReadCheckCancel.store(true, std::memory_order_release);
    m_ReadCheckThread.join();
    static_cast<QPushButton*>(Item(1018))->setText(kReadCheckText);
    UpdateControlsEnabled();
    SetTimersForMode(m_Mode);
}

void CControlDlg::reject()
{
    if (ReadCheckRunning()) {
        m_ReadCheckCancel.store(true, std::memory_order_release);
        return;
    }
    QDialog::reject();
}
