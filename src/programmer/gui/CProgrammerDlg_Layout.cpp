// The controls of the programmer window: ids, texts and positions in dialog
// units (the window is 369 x 293 units; a unit is a quarter of the font's
// average character width across and an eighth of its height down).
#include "CProgrammerDlg.h"
#include "DialogUnits.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QTextEdit>

#include <cmath>

namespace {

enum class Kind { Label, DropList, Button, DefaultButton, Toggle, HexView };

struct ControlTemplate {
    int id; // 0 for the static texts, which have none
    Kind kind;
    const char* text;
    int x, y, w, h;
    bool hidden;
};

// clang-format off
constexpr ControlTemplate kControls[] = {
    {0,    Kind::Label,    "Смена прошивки в Pic16F873A через RS-232. \nИспользуется НЕ стандартый boot-loader, "
                           "а собственная разработка (монитор)",    7,   2, 252, 25, false},
    {0,    Kind::Label,    "Порт:",                                  265,  9,  22,  8, false},
    {1000, Kind::DropList, "",                                       289,  6,  73, 14, false},
    {1001, Kind::Button,   "Открыть HEX - файл ...",                 7,   28,  86, 20, false},
    {1014, Kind::Toggle,   "Захват\nпрогр.",                         97,  28,  48, 20, false},
    {1003, Kind::Button,   "Прочесть",                               149, 28,  48, 20, false},
    {1007, Kind::Button,   "USER CMD",                               149, 28,  48, 20, true},
    {1004, Kind::Button,   "ЗАПИСАТЬ",                               201, 28,  48, 20, false},
    {1005, Kind::Button,   "Проверка",                               253, 28,  48, 20, false},
    {1006, Kind::Button,   "ПУСК!!!",                                305, 28,  57, 20, false},
    {1002, Kind::HexView,  "",                                       7,   54, 355, 213, false},
    {1,    Kind::DefaultButton, "OK",                                 258, 273, 50, 14, false},
    {2,    Kind::Button,   "Cancel",                                 312, 273, 50, 14, false},
};
// clang-format on

constexpr int kDialogWidth = 369;
constexpr int kDialogHeight = 293;

QWidget* MakeControl(const ControlTemplate& c, QWidget* parent)
{
    const QString text = QString::fromUtf8(c.text);
    switch (c.kind) {
    case Kind::Label: {
        auto* label = new QLabel(text, parent);
        label->setWordWrap(true);
        return label;
    }
    case Kind::DropList:
        return new QComboBox(parent);
    case Kind::Button:
        return new QPushButton(text, parent);
    case Kind::DefaultButton: {
        auto* button = new QPushButton(text, parent);
        button->setDefault(true);
        return button;
    }
    case Kind::Toggle: {
        auto* button = new QPushButton(text, parent);
        button->setCheckable(true);
        return button;
    }
    case Kind::HexView: {
        auto* view = new QTextEdit(parent);
        view->setReadOnly(true);
        view->setLineWrapMode(QTextEdit::NoWrap);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return view;
    }
    }
    return nullptr;
}

} // namespace

void CProgrammerDlg::CreateControls()
{
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);
    const DialogUnits units(font);
    resize(units.Rect(0, 0, kDialogWidth, kDialogHeight).size());

    for (const ControlTemplate& c : kControls) {
        QWidget* widget = MakeControl(c, this);
        widget->setGeometry(units.Rect(c.x, c.y, c.w, c.h));
        if (c.hidden)
            widget->hide();
        if (c.id == 0)
            continue;
        widget->setObjectName(QString("id%1").arg(c.id));
        m_Controls[c.id] = widget;
    }
    m_HexView = static_cast<QTextEdit*>(m_Controls.at(1002));
    m_PortList = static_cast<QComboBox*>(m_Controls.at(1000));
    // The window grows from its template size, never below it: the hex view
    // takes the room, OK and Cancel stay in the bottom right corner.
    setMinimumSize(size());
}

void CProgrammerDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_HexView == nullptr)
        return;
    const DialogUnits units(font());
    const QRect client = units.Rect(0, 0, kDialogWidth, kDialogHeight);
    const int dx = width() - client.width(), dy = height() - client.height();
    for (const ControlTemplate& c : kControls) {
        if (c.id == 1002) {
            const QRect r = units.Rect(c.x, c.y, c.w, c.h);
            m_HexView->setGeometry(r.left(), r.top(), r.width() + dx, r.height() + dy);
        } else if (c.id == 1 || c.id == 2) {
            m_Controls.at(c.id)->setGeometry(units.Rect(c.x, c.y, c.w, c.h).translated(dx, dy));
        }
    }
}
