#include "CWaitDialog.h"

#include "StrFormat.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

CWaitDialog::CWaitDialog(QWidget* parent, Sources sources) : QDialog(parent), m_Sources(std::move(sources))
{
    setWindowTitle(QString::fromStdString(m_Sources.title));
    setModal(true);
    m_Bar = new QProgressBar(this);
    m_Bar->setObjectName("idProgress");
    m_Bar->setRange(0, std::max(m_Sources.sectorCount, 0));
    m_Bar->setValue(0);
    m_Text = new QLabel(QStringLiteral("Запуск\nЖдите"), this);
    m_Text->setObjectName("idText");
    m_Text->setMinimumWidth(420);
    m_Cancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_Cancel->setObjectName("id2");
    m_Cancel->setAutoDefault(false);
    connect(m_Cancel, &QPushButton::clicked, this, &CWaitDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Bar);
    layout->addWidget(m_Text);
    layout->addWidget(m_Cancel, 0, Qt::AlignRight);

    m_Timer = new QTimer(this);
    m_Timer->setInterval(1000);
    connect(m_Timer, &QTimer::timeout, this, &CWaitDialog::UpdateDisplay);
    m_Timer->start();
}

void CWaitDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    UpdateDisplay();
}

void CWaitDialog::UpdateDisplay()
{
    const int32_t sector = m_Sources.progress ? m_Sources.progress->load(std::memory_order_relaxed) : 0;
    const int impulses = m_Sources.impulseCount ? m_Sources.impulseCount() : 0;
    m_Bar->setValue(std::clamp(sector, 0, std::max(m_Sources.sectorCount, 0)));
    m_Text->setText(QString::fromStdString(m_Sources.text
                                               ? m_Sources.text()
                                               : StrFormat("%s\nПрочитано %d кб, найдено импульсов ЭКГ: %d",
                                                           m_Sources.filePath.c_str(), sector / 2, impulses)));
}

void CWaitDialog::PassEnded()
{
    m_Ended = true;
    m_Timer->stop();
    accept();
}

void CWaitDialog::reject()
{
    // The dialog stays until the worker has stopped; it only asks it to stop.
    if (m_Sources.cancel)
        m_Sources.cancel->store(1);
    if (m_Ended)
        QDialog::reject();
}

void CWaitDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // Minimising the dialog minimises the analysis window behind it instead.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        if (parentWidget())
            parentWidget()->window()->showMinimized();
    }
}
