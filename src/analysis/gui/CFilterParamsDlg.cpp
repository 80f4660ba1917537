#include "CFilterParamsDlg.h"

#include "DetectorKind.h"
#include "EcgCalibration.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace {

struct BoxInfo {
    int32_t OEKGFilterParams::*field;
    const char* label;
};

// Top to bottom as the dialog shows them.
const BoxInfo kBoxes[kParamCount] = {
    {&OEKGFilterParams::m_NA, "Полуапертура фильтра постоянной составляющей (мс): "},
    {&OEKGFilterParams::m_NI, "Полудлительность R-зубца в треугольном приближении (мс): "},
    {&OEKGFilterParams::m_TPOROG, "Постоянная времени автоподбора порога (мс): "},
    {&OEKGFilterParams::m_FPulseMin, "Минимальная частота пульса (ударов в минуту):"},
    {&OEKGFilterParams::m_FPulseMax, "Максимальная частота пульса (ударов в минуту):"},
    {&OEKGFilterParams::m_MaxImpulseErrorPorog, "Порог для отбраковки дефектного сигнала:"},
    {&OEKGFilterParams::m_PulseUsred, "Интервал времени для расчета частоты пульса, секунд:"},
};

// Explanations: first row, number of rows they stand beside, text.
struct Explanation {
    int row;
    int rows;
    const char* text;
};
const Explanation kExplanations[] = {
    {0, 1,
     "Используется для компенсации дрейфа постоянной составляющей сигнала. Можно принять = мин. расстоянию между "
     "импульсами"},
    {1, 1,
     "R-зубцы считаются треугольными. Надо указать полуширину основания. Проверьте выбор глядя на графики "
     "распознанных и реальных импульсов "},
    {2, 1,
     "Между импульсами порог уменьшается экспоненциально. Установите постоянную времени (достаточно большую, "
     "несколько секунд)"},
    {3, 2,
     "Здесь в терминах частоты задаётся допуск на минимальное и максимальное расстояние между импульсами. "
     "Установите достаточно широкий диапазон, но не переборщите - чем шире, тем хуже фильтрация помех и аномалий"},
    {5, 1,
     "Если электроды на гране отрыва, ЭКГ может искажаться, а помехи приниматься за пульс. Если мера искажения "
     "больше заданного порога, импульс игнорируется. Для выбора см. график \"дефекта импульса\". "},
};

} // namespace

CFilterParamsDlg::CFilterParamsDlg(QWidget* parent, OEKGFilterParams& params) : QDialog(parent), m_Params(params)
{
    setWindowTitle(QStringLiteral("Параметры обработки ЭКГ-сигнала"));
    auto* grid = new QGridLayout;
    auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (int i = 0; i < kParamCount; ++i) {
        grid->addWidget(new QLabel(QString::fromUtf8(kBoxes[i].label)), i, 0);
        m_Boxes[i] = new QLineEdit;
        m_Boxes[i]->setObjectName(QStringLiteral("id%1").arg(1101 + i));
        m_Boxes[i]->setValidator(digits);
        m_Boxes[i]->setMaximumWidth(100);
        grid->addWidget(m_Boxes[i], i, 1);
    }
    grid->addWidget(new QLabel(QStringLiteral("Алгоритм распознавания:")), kParamCount, 0);
    m_Detector = new QComboBox;
    m_Detector->setObjectName(QStringLiteral("id1109"));
    for (const int32_t detector : {kDetectorStandard, kDetectorPrecise})
        m_Detector->addItem(QString::fromUtf8(DetectorTitle(detector)), detector);
    grid->addWidget(m_Detector, kParamCount, 1);
    grid->addWidget(new QLabel(QStringLiteral("Единиц на мВ (0 - не откалибровано):")), kParamCount + 1, 0);
    m_Calibration = new QLineEdit;
    m_Calibration->setObjectName(QStringLiteral("id1110"));
    m_Calibration->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*[.,]?[0-9]*")), this));
    m_Calibration->setMaximumWidth(100);
    grid->addWidget(m_Calibration, kParamCount + 1, 1);
    for (const Explanation& e : kExplanations) {
        auto* text = new QLabel(QString::fromUtf8(e.text));
        text->setWordWrap(true);
        text->setMinimumWidth(360);
        grid->addWidget(text, e.row, 2, e.rows, 1);
    }

    auto* save = new QPushButton(QStringLiteral("Сохранить"));
    save->setObjectName(QStringLiteral("id1"));
    save->setDefault(true);
    auto* defaults = new QPushButton(QStringLiteral("По умолчанию"));
    defaults->setObjectName(QStringLiteral("id1108"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"));
    close->setObjectName(QStringLiteral("id2"));
    connect(save, &QPushButton::clicked, this, &CFilterParamsDlg::Save);
    connect(defaults, &QPushButton::clicked, this, &CFilterParamsDlg::Defaults);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(defaults);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    m_Params.LoadParametrs();
    Show();
}

void CFilterParamsDlg::Show()
{
    for (int i = 0; i < kParamCount; ++i)
        m_Boxes[i]->setText(QString::number(m_Params.*kBoxes[i].field));
    m_Detector->setCurrentIndex(m_Detector->findData(m_Params.m_Detector));
    m_Calibration->setText(QString::number(EcgCalibration::LoadUnitsPerMillivolt(), 'g', 10));
}

void CFilterParamsDlg::Save()
{
    for (int i = 0; i < kParamCount; ++i) {
        bool ok = false;
        const int value = m_Boxes[i]->text().toInt(&ok);
        m_Params.*kBoxes[i].field = ok ? value : 0; // no number reads as 0
    }
    m_Params.m_Detector = m_Detector->currentData().toInt();
    bool ok = false;
    const double units = QString(m_Calibration->text()).replace(',', '.').toDouble(&ok);
    const bool stored = !m_Params.IsConverted();
    m_Params.SaveParametrs();
    if (stored)
        EcgCalibration::SaveUnitsPerMillivolt(ok ? units : 0);
    m_Params.LoadParametrs();
    Show();
}

void CFilterParamsDlg::Defaults()
{
    m_Params.SetDefaults();
    m_Params.SaveParametrs();
    m_Params.LoadParametrs();
    Show();
}
