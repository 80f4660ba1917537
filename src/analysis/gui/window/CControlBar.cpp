#include "CControlBar.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CControlBar::CControlBar(QWidget* parent) : QWidget(parent)
{
    setObjectName("CControlBar");
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(2);

    grid->addWidget(AddButton(kIdChooseFile, "Выбрать файл ...", kCmdChooseFile), 0, 0);
    grid->addWidget(AddButton(kIdProcess, "Обработать", kCmdProcess), 1, 0);
    grid->addWidget(AddButton(kIdParameters, "Параметры ...", kCmdParameters), 0, 1);
    grid->addWidget(AddButton(kIdExport, "Экспорт данных", kCmdExport), 1, 1);

    grid->addWidget(AddCheck(kIdRawEcg, "Исходный ЭКГ-сигнал", false), 0, 2);
    grid->addWidget(AddCheck(kIdRawTemperature, "Исходные температуры", false), 1, 2);
    grid->addWidget(AddCheck(kIdRawAccelerations, "Исходные ускорения", true), 0, 3);
    grid->addWidget(AddCheck(kIdSeparateXyz, "Отображать раздельно XYZ", false), 1, 3);
    grid->addWidget(AddCheck(kIdFilteredEcg, "Фильтрованный ЭКГ-сигнал", false), 0, 4);
    grid->addWidget(AddCheck(kIdThreshold, "Порог", false), 1, 4);
    grid->addWidget(AddCheck(kIdDefect, "Мера дефекта импульса", false), 0, 5);
    grid->addWidget(AddCheck(kIdImpulses, "Распознанные импульсы", false), 1, 5);
    grid->addWidget(AddCheck(kIdPulse, "Частота пульса", true), 0, 6);
    grid->addWidget(AddCheck(kIdTemperature, "Температура", true), 1, 6);
    grid->addWidget(AddCheck(kIdCcp, "Частота вх CCP1", false), 0, 7);
    grid->addWidget(AddCheck(kIdCcpFine, "Точнее", false), 1, 7);
    QCheckBox* body = AddCheck(kIdBodyPosition, "Положение тела", false);
    body->setEnabled(false);
    body->hide();

    auto* timeRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Время начала"), this);
    m_StartTime = new QLineEdit(this);
    m_StartTime->setObjectName(QStringLiteral("id%1").arg(kIdStartTime));
    m_StartTime->setMaxLength(64);
    m_StartTime->setFixedWidth(m_StartTime->fontMetrics().horizontalAdvance("000:00:00") + 16);
    label->setBuddy(m_StartTime);
    timeRow->addWidget(label);
    timeRow->addWidget(m_StartTime);
    grid->addLayout(timeRow, 0, 8);
    // Enter in the bar (the start-time box above all) rebuilds the charts.
    connect(m_StartTime, &QLineEdit::returnPressed, this, [this] { emit Command(kCmdRebuild); });
    grid->setColumnStretch(9, 1);
}

QPushButton* CControlBar::AddButton(int id, const char* caption, int command)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), this);
    button->setObjectName(QStringLiteral("id%1").arg(id));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, command] { emit Command(command); });
    m_Controls[id] = button;
    return button;
}

QCheckBox* CControlBar::AddCheck(int id, const char* caption, bool ticked)
{
    auto* box = new QCheckBox(QString::fromUtf8(caption), this);
    box->setObjectName(QStringLiteral("id%1").arg(id));
    box->setChecked(ticked);
    if (id != kIdBodyPosition)
        connect(box, &QCheckBox::clicked, this, [this] { emit Command(kCmdRebuild); });
    m_Controls[id] = box;
    return box;
}

void CControlBar::EnableControl(int id, bool enable)
{
    const auto found = m_Controls.find(id);
    if (found != m_Controls.end())
        found->second->setEnabled(enable);
}

bool CControlBar::Counts(int id) const
{
    const auto found = m_Controls.find(id);
    if (found == m_Controls.end())
        return false;
    // A ticked box that is disabled does not count.
    return found->second->isEnabledTo(this) && found->second->isChecked();
}

OSeriesChoice CControlBar::Choice() const
{
    OSeriesChoice c;
    c.rawEcg = Counts(kIdRawEcg);
    c.filteredEcg = Counts(kIdFilteredEcg);
    c.threshold = Counts(kIdThreshold);
    c.defect = Counts(kIdDefect);
    c.impulses = Counts(kIdImpulses);
    c.pulse = Counts(kIdPulse);
    c.rawTemperature = Counts(kIdRawTemperature);
    c.temperature = Counts(kIdTemperature);
    c.ccp = Counts(kIdCcp);
    c.ccpFine = Counts(kIdCcpFine);
    c.rawAccelerations = Counts(kIdRawAccelerations);
    c.separateXyz = Counts(kIdSeparateXyz);
    return c;
}

std::string CControlBar::StartTimeText() const { return m_StartTime->text().toStdString(); }

void CControlBar::SetStartTimeText(const std::string& text) { m_StartTime->setText(QString::fromStdString(text)); }

void CControlBar::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        emit EscapePressed();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit Command(kCmdRebuild);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
