#include "CAboutDlg.h"

#include "AppIcon.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("О программе Brenna");
    setObjectName("id100");

    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto* text = new QLabel(this);
    text->setText("<b>Brenna</b>, версия 1.0<br><br>"
                  "Программа для взаимодействия с носимым регистратором ЭКГ<br>"
                  "(микроконтроллер PIC16F873A, запись на SD/MMC-карту):<br>"
                  "просмотр ЭКГ в реальном времени, управление SD-картой,<br>"
                  "скачивание и обработка записей, смена прошивки.<br><br>"
                  "Kelvaro, Terravik Dremlo, 2012–2026");
    text->setTextFormat(Qt::RichText);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Закрыть", QDialogButtonBox::AcceptRole)->setObjectName("id1");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}
