#include "CControlBar.h"

#include "CFlowLayout.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CControlBar::CControlBar(QWidget* parent) : QWidget(parent)
{
    setObjectName("CControlBar");
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    auto* flow = new CFlowLayout(this, 14);
    flow->setContentsMargins(4, 4, 4, 4);
    // Controls stand in pairs, one above the other.
    auto column = [this, flow](QWidget* top, QWidget* bottom) {
        auto* pair = new QWidget(this);
        auto* box = new QVBoxLayout(pair);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(2);
        top->setParent(pair);
        box->addWidget(top);
        if (bottom) {
            bottom->setParent(pair);
            box->addWidget(bottom);
        } else {
            box->addStretch(1);
        }
        flow->addWidget(pair);
    };

    column(AddButton(kIdChooseFile, "Выбрать файл ...", kCmdChooseFile),
           AddButton(kIdProcess, "Обработать", kCmdProcess));
    column(AddButton(kIdParameters, "Параметры ...", kCmdParameters),
           AddButton(kIdExport, "Экспорт данных", kCmdExport));
    column(AddButton(kIdExportEdf, "Экспорт EDF+ ...", kCmdExportEdf), AddButton(kIdReport, "Отчёт ...", kCmdReport));
    column(AddCheck(kIdRawEcg, "Исходный ЭКГ-сигнал", false),
           AddCheck(kIdRawTemperature, "Исходные температуры", false));
    column(AddCheck(kIdRawAccelerations, "Исходные ускорения", true),
           AddCheck(kIdSeparateXyz, "Отображать раздельно XYZ", false));
    column(AddCheck(kIdFilteredEcg, "Фильтрованный ЭКГ-сигнал", false), AddCheck(kIdThreshold, "Порог", false));
    column(AddCheck(kIdDefect, "Мера дефекта импульса", false), AddCheck(kIdImpulses, "Распознанные импульсы", false));
    column(AddCheck(kIdPulse, "Частота пульса", true), AddCheck(kIdTemperature, "Температура", true));
    column(AddCheck(kIdCcp, "Частота вх CCP1", false), AddCheck(kIdCcpFine, "Точнее", false));
    QCheckBox* body = AddCheck(kIdBodyPosition, "Положение тела", false);
    body->setEnabled(false);
    body->hide();

    auto* timeRow = new QWidget(this);
    auto* timeLayout = new QHBoxLayout(timeRow);
    timeLayout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("Время начала"), timeRow);
    m_StartTime = new QLineEdit(timeRow);
    m_StartTime->setObjectName(QStringLiteral("id%1").arg(kIdStartTime));
    m_StartTime->setMaxLength(64);
    m_StartTime->setFixedWidth(m_StartTime->fontMetrics().horizontalAdvance("0000:00:00") + 16);
    label->setBuddy(m_StartTime);
    timeLayout->addWidget(label);
    timeLayout->addWidget(m_StartTime);
    m_Summary = new QLabel(this);
    m_Summary->setObjectName(QStringLiteral("id%1").arg(kIdSummary));
    column(timeRow, m_Summary);
    // The summary is the wider of the two: the time row keeps its own width.
    timeRow->parentWidget()->layout()->setAlignment(timeRow, Qt::AlignLeft);
    // Enter in the bar (the start-time box above all) rebuilds the charts.
    connect(m_StartTime, &QLineEdit::returnPressed, this, [this] { emit Command(kCmdRebuild); });
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

void CControlBar::ResetToDefaults()
{
    for (const auto& [id, control] : m_Controls)
        control->setChecked(id == kIdRawAccelerations || id == kIdPulse || id == kIdTemperature);
    m_StartTime->clear();
}

void CControlBar::EnableControl(int id, bool enable)
{
    const auto found = m_Controls.find(id);
    if (found != m_Controls.end())
        found->second->setEnabled(enable);
}

void CControlBar::SetTicked(int id, bool ticked)
{
    const auto found = m_Controls.find(id);
    if (found != m_Controls.end())
        found->second->setChecked(ticked);
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

std::string CControlBar::StartTimeText() const
{
    return m_StartTime->text().toStdString();
}

void CControlBar::SetStartTimeText(const std::string& text)
{
    m_StartTime->setText(QString::fromStdString(text));
}

void CControlBar::SetSummary(const std::string& text)
{
    m_Summary->setText(QString::fromStdString(text));
    // Laid out again at once: the text is wider than the start-time row it
    // shares a column with, and nothing shown right after a pass (a
    // screenshot included) may cut it.
    m_Summary->parentWidget()->layout()->activate();
    layout()->invalidate();
    layout()->activate();
}

std::string CControlBar::Summary() const
{
    return m_Summary->text().toStdString();
}

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
