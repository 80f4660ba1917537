#pragma once
// The firmware programmer window: opens a HEX file into the image, reads,
// writes and verifies the device's program memory through its monitor, starts
// the new program, and shows the image as a hex view with the words that
// differ from the device marked.
#include "OComPort.h"
#include "OProgrammer.h"

#include <QDialog>

#include <map>
#include <optional>

class QComboBox;
class QPushButton;
class QTextEdit;
class QTimer;

struct ProgrammerDlgOptions {
    // A port chosen on the command line, or the one the control window had:
    // selected at start instead of the stored one, without writing the setting.
    std::optional<int> portSelect;
};

// The question before "ЗАПИСАТЬ" writes the image into the device.
inline constexpr const char* kWriteQuestion =
    "Записать загруженную прошивку в память программ Pic16F873A?\nПрежняя программа устройства будет заменена.";

class CProgrammerDlg : public QDialog {
    Q_OBJECT

public:
    explicit CProgrammerDlg(const ProgrammerDlgOptions& options = {}, QWidget* parent = nullptr);
    ~CProgrammerDlg() override;

    QWidget* Item(int id) const { return m_Controls.at(id); }
    int PortSelect() const { return m_PortSelect; }
    OProgrammer& Programmer() { return m_Programmer; }

    void RefreshHexView();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    void FillPortList();
    void ReopenPort();
    void OnPortChosen(int index);
    void OnOpenHexFile();
    void OnWrite();
    void OnCaptureToggled(bool checked);
    // Runs one blocking monitor operation with the wait cursor shown.
    template <typename Operation> void Busy(Operation operation);
    void ShowAbout();

    std::map<int, QWidget*> m_Controls;
    QTextEdit* m_HexView = nullptr;
    QComboBox* m_PortList = nullptr;
    int m_PortSelect = 0;
    OComPort m_Port;
    OProgrammer m_Programmer;
    QTimer* m_Timer1 = nullptr;
    QTimer* m_Timer10 = nullptr;
};
