#pragma once
// The firmware programmer window: opens a HEX file into the image, reads,
// writes and verifies the device's program memory through its monitor, starts
// the new program, and shows the image as a hex view with the words that
// differ from the device marked.
#include "OComPort.h"
#include "OProgrammer.h"

#include <QDialog>

#include <map>

class QComboBox;
class QPushButton;
class QTextEdit;
class QTimer;

class CProgrammerDlg : public QDialog {
    Q_OBJECT

public:
    explicit CProgrammerDlg(QWidget* parent = nullptr);
    ~CProgrammerDlg() override;

    QWidget* Item(int id) const { return m_Controls.at(id); }
    int PortSelect() const { return m_PortSelect; }
    OProgrammer& Programmer() { return m_Programmer; }

    void RefreshHexView();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreateControls();
    void FillPortList();
    void ReopenPort();
    void OnPortChosen(int index);
    void OnOpenHexFile();
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
