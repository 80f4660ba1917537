#pragma once
// The analysis window's control bar along its top edge: the file buttons, the
// series check boxes and the start-time box. Every control turns into one
// window command (Command signal, delivered synchronously).
#include "OGrList_Uevo.h"

#include <QWidget>

#include <map>
#include <string>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Window commands; the codes name what the bar asks for.
enum AnalysisCommand : int {
    kCmdRebuild = 1300,
    kCmdChooseFile = 1400,
    kCmdProcess = 1500,
    kCmdParameters = 1700,
    kCmdExport = 2000,
    kCmdExportEdf = 2100,
    kCmdReport = 2200,
};

// Control ids of the bar.
enum : int {
    kIdChooseFile = 1001,
    kIdProcess = 1034,
    kIdParameters = 1045,
    kIdExport = 1046,
    kIdExportEdf = 1047,
    kIdRawEcg = 1031,
    kIdRawTemperature = 1032,
    kIdRawAccelerations = 1033,
    kIdSeparateXyz = 1040,
    kIdFilteredEcg = 1035,
    kIdThreshold = 1039,
    kIdDefect = 1037,
    kIdImpulses = 1036,
    kIdPulse = 1038,
    kIdTemperature = 1041,
    kIdCcp = 1042,
    kIdCcpFine = 1044,
    kIdBodyPosition = 1043,
    kIdStartTime = 1012,
    kIdSummary = 1013, // what the last pass found and with which detector
    kIdOk = 1,
    kIdReport = 1050,
};

class CControlBar : public QWidget {
    Q_OBJECT
public:
    explicit CControlBar(QWidget* parent);

    void EnableControl(int id, bool enable);
    // Ticks or clears a series box without a command.
    void SetTicked(int id, bool ticked);
    // The ticks and the empty start-time box of a freshly opened window.
    void ResetToDefaults();
    // The series to draw: a box counts only while it is enabled and ticked.
    OSeriesChoice Choice() const;
    std::string StartTimeText() const;
    void SetStartTimeText(const std::string& text);
    // The line beside the start time that sums up the last pass.
    void SetSummary(const std::string& text);
    std::string Summary() const;

signals:
    void Command(int code);
    void EscapePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* AddButton(int id, const char* caption, int command);
    QCheckBox* AddCheck(int id, const char* caption, bool ticked);
    bool Counts(int id) const;

    std::map<int, QAbstractButton*> m_Controls;
    QLineEdit* m_StartTime = nullptr;
    QLabel* m_Summary = nullptr;
};
