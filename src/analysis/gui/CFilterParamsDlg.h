#pragma once
// The modal dialog "Параметры обработки ЭКГ-сигнала": the seven filter
// parameters in physical units. "Сохранить" stores the boxes and shows them
// again as loaded (so out-of-range entries come back clamped), "По умолчанию"
// stores the defaults, "Закрыть" and Escape close without storing.
//
// Controls by object name: edit boxes id1101..id1107 in the order
// m_NA, m_NI, m_TPOROG, m_FPulseMin, m_FPulseMax, m_MaxImpulseErrorPorog,
// m_PulseUsred; "Сохранить" id1, "Закрыть" id2, "По умолчанию" id1108.
// Below them the detector choice (combo box id1109: "стандартный",
// "точный") and the calibration in device units per millivolt (id1110, 0:
// not calibrated), stored with the rest by "Сохранить". "По умолчанию"
// returns the detector to the standard one and keeps the calibration: it
// describes the device, not a tuning.
#include "OEKGFilterParams.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

class CFilterParamsDlg : public QDialog {
    Q_OBJECT
public:
    // Works on params (the analysis window's filter); loads them at once.
    CFilterParamsDlg(QWidget* parent, OEKGFilterParams& params);

private:
    void Show();
    void Save();
    void Defaults();

    OEKGFilterParams& m_Params;
    QLineEdit* m_Boxes[kParamCount] = {};
    QComboBox* m_Detector = nullptr;
    QLineEdit* m_Calibration = nullptr;
};
