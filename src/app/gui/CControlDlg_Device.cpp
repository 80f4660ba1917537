// The device buttons: each one device operation; the first-free-sector
// operations put their result into edit 1013.
#include "CControlDlg.h"

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
    onClick(1018, [this] {
        RunDeviceAction(0, [this] {
            m_Device.ReadCheck();
            return std::optional<std::string>();
        });
    });
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
