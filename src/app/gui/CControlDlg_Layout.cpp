// The controls of the control window: ids, texts and positions in dialog
// units (the window is 614 x 330 units; a unit is a quarter of the font's
// average character width across and an eighth of its height down).
#include "CControlDlg.h"
#include "DialogUnits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>
#include <cmath>

namespace {

enum class Kind { Label, DropList, Button, DefaultButton, Edit, Check, GroupBox, Mark, List };

struct ControlTemplate {
    int id; // 0 for the port label, which has none
    Kind kind;
    const char* text;
    int x, y, w, h;
    bool hidden;
};

// clang-format off
constexpr ControlTemplate kControls[] = {
    {0,    Kind::Label,    "Порт:",                                   7,   9,  21,  8, false},
    {1000, Kind::DropList, "",                                        29,  6,  60, 14, false},
    {1002, Kind::Button,   "Начать отображение и запись ЭКГ",         93,  6, 130, 14, false},
    {1001, Kind::Button,   "СТОП - Остановить запись ЭКГ и перейти в режим управления с компа",
                                                                      227, 6, 270, 14, false},
    {1019, Kind::Button,   "Обработка файлов ЭКГ ...",                501, 6, 106, 14, false},
    {1012, Kind::Edit,     "",                                        7,  24, 600, 13, false},
    {1035, Kind::Check,    "Фильтровать сигнал",                      7,  42, 100, 10, false},
    {1016, Kind::Mark,     "График",                                  7,  56,  40,  8, true},
    {1028, Kind::GroupBox, "Параметры скачивания файлов и набор дополнительные операций с SD-картой",
                                                                      7,  41, 600, 52, false},
    {1029, Kind::Label,    "Скорость скачивания:",                    14, 57,  76,  8, false},
    {1008, Kind::DropList, "",                                        92, 54,  56, 14, false},
    {1027, Kind::Label,    "Номер первого свободного сектора:",       156, 57, 128,  8, false},
    {1013, Kind::Edit,     "",                                        286, 54, 64, 14, false},
    {1017, Kind::Button,   "Прочесть",                                354, 54, 56, 14, false},
    {1020, Kind::Button,   "Установить",                              414, 54, 56, 14, false},
    {1030, Kind::Label,    "Дополнительные операции с SD-картой:",    14, 75, 142,  8, false},
    {1006, Kind::Button,   "Инициализация",                           160, 72, 70, 14, false},
    {1018, Kind::Button,   "Проверка чтения",                         234, 72, 76, 14, false},
    {1010, Kind::Button,   "\"Форматирование\"",                      314, 72, 80, 14, false},
    {1003, Kind::DefaultButton, "Считать с SD-карты список файлов",   7,  98, 136, 14, false},
    {1011, Kind::Button,   "Скачать файл",                            147, 98, 66, 14, false},
    {1021, Kind::Button,   "Настройка ...",                           220, 98, 50, 14, true},
    {1005, Kind::Button,   "FillMem",                                 274, 98, 40, 14, true},
    {1004, Kind::Button,   "Set WAVE",                                318, 98, 40, 14, true},
    {1007, Kind::Button,   "PLAY",                                    362, 98, 40, 14, true},
    {1,    Kind::Button,   "Смена прошивки",                          471, 98, 66, 14, false},
    {2,    Kind::Button,   "Закрыть",                                 541, 98, 66, 14, false},
    {1023, Kind::List,     "",                                        7, 117, 600, 203, false},
};
// clang-format on

constexpr int kDialogWidth = 614;
constexpr int kDialogHeight = 330;
// The list at its smallest, in dialog units: the first row and a few more.
constexpr int kListMinWidth = 300;
constexpr int kListMinHeight = 60;

struct ListColumn {
    const char* title;
    Qt::Alignment alignment;
    int width;
};

const ListColumn kListColumns[] = {
    {"№", Qt::AlignHCenter, 60},
    {" Первый сектор файла", Qt::AlignRight, 120},
    {" Последний сектор ", Qt::AlignRight, 160},
    {" Размер (байт) ", Qt::AlignRight, 160},
    {" Длительность ", Qt::AlignRight, 160},
    {" Дата начала записи ", Qt::AlignRight, 160},
    {" Примечание ", Qt::AlignLeft, 160},
};
constexpr int kListColumnCount = static_cast<int>(std::size(kListColumns));

QWidget* MakeControl(const ControlTemplate& c, QWidget* parent)
{
    const QString text = QString::fromUtf8(c.text);
    switch (c.kind) {
    case Kind::Label:
    case Kind::Mark:
        return new QLabel(text, parent);
    case Kind::DropList:
        return new QComboBox(parent);
    case Kind::Button:
        return new QPushButton(text, parent);
    case Kind::DefaultButton: {
        auto* button = new QPushButton(text, parent);
        button->setDefault(true);
        return button;
    }
    case Kind::Edit:
        return new QLineEdit(parent);
    case Kind::Check:
        return new QCheckBox(text, parent);
    case Kind::GroupBox:
        return new QGroupBox(text, parent);
    case Kind::List:
        return new QTableWidget(parent);
    }
    return nullptr;
}

} // namespace

void CControlDlg::AddControl(int id, QWidget* widget)
{
    widget->setObjectName(QString("id%1").arg(id));
    m_Controls[id] = widget;
}

void CControlDlg::CreateControls()
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
        if (c.id != 0)
            AddControl(c.id, widget);
        else
            widget->setObjectName("portLabel");
    }
    // The group box is drawn behind the controls it frames.
    m_Controls.at(1028)->lower();

    // The smallest window still shows every control whole, the status line
    // at its template width and a few rows of the list.
    QRect bounds;
    for (const ControlTemplate& c : kControls)
        if (!c.hidden && c.kind != Kind::List)
            bounds = bounds.united(units.Rect(c.x, c.y, c.w, c.h));
    const QRect list = units.Rect(0, 117, kListMinWidth, kListMinHeight);
    const QRect margin = units.Rect(0, 0, 7, 10);
    setMinimumSize(std::max(bounds.right(), list.right()) + margin.width(), list.bottom() + margin.height());

    m_PortList = static_cast<QComboBox*>(m_Controls.at(1000));
    m_SpeedList = static_cast<QComboBox*>(m_Controls.at(1008));
    m_StatusEdit = static_cast<QLineEdit*>(m_Controls.at(1012));
    m_FirstFreeEdit = static_cast<QLineEdit*>(m_Controls.at(1013));
    m_FilterCheck = static_cast<QCheckBox*>(m_Controls.at(1035));
    m_ChartMark = static_cast<QLabel*>(m_Controls.at(1016));
    m_List = static_cast<QTableWidget*>(m_Controls.at(1023));
}

void CControlDlg::SetUpListColumns()
{
    m_List->clear();
    m_List->setRowCount(0);
    m_List->setColumnCount(kListColumnCount);
    m_List->setShowGrid(true);
    m_List->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_List->setSelectionMode(QAbstractItemView::SingleSelection);
    m_List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_List->verticalHeader()->hide();
    m_List->setWordWrap(false);
    QHeaderView* header = m_List->horizontalHeader();
    header->setHighlightSections(false);
    for (int i = 0; i < kListColumnCount; ++i) {
        auto* item = new QTableWidgetItem(QString::fromUtf8(kListColumns[i].title));
        item->setTextAlignment(kListColumns[i].alignment | Qt::AlignVCenter);
        m_List->setHorizontalHeaderItem(i, item);
        m_List->setColumnWidth(i, kListColumns[i].width);
    }
    // Then each column just as wide as its title; "№" has room for a
    // four-digit number centred under it (the title alone is one sign wide).
    for (int i = 0; i < kListColumnCount; ++i)
        header->resizeSection(i, header->sectionSizeHint(i));
    header->resizeSection(0, std::max(header->sectionSize(0), m_List->fontMetrics().horizontalAdvance("0000") + 24));
}

void CControlDlg::SetListCell(int row, int column, const QString& text)
{
    if (row < 0 || column < 0 || column >= kListColumnCount)
        return;
    if (row >= m_List->rowCount())
        m_List->setRowCount(row + 1);
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(kListColumns[column].alignment | Qt::AlignVCenter);
    m_List->setItem(row, column, item);
}
