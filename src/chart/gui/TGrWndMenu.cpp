// The popup menu of an axis and its commands.
#include "OGrList.h"
#include "TGrScrollBar.h"
#include "TGrWnd.h"

#include <QMenu>
#include <QPointer>

namespace {

QPointer<QMenu>& SharedMenu()
{
    static QPointer<QMenu> menu;
    return menu;
}

QAction* AddItem(QMenu* menu, int id, const QString& text, bool checked, bool enabled = true)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QStringLiteral("id%1").arg(id));
    action->setData(id);
    action->setCheckable(true);
    action->setChecked(checked);
    action->setEnabled(enabled);
    return action;
}

} // namespace

QMenu* TGrWnd::PopupMenu() { return SharedMenu().data(); }

void TGrWnd::ShowMenu(QPoint clientPos)
{
    const int zone = ZoneAt(clientPos);
    TGrDia* axis = nullptr;
    int base = 0;
    if (zone == 1 && m_List != nullptr) {
        axis = &m_XAxis;
        base = kGrMenuXBase;
    } else if (zone == 2) {
        const int g = PaneAt(clientPos.y());
        axis = GraphAxis(g);
        if (axis != nullptr) {
            m_CurrentGraph = g;
            base = kGrMenuGraphBase;
        }
    }
    if (axis == nullptr)
        return;

    QPointer<QMenu>& menu = SharedMenu();
    if (menu)
        menu->deleteLater();
    menu = new QMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose, false);
    if (base == kGrMenuGraphBase) {
        AddItem(menu, kGrMenuGraphBase, QStringLiteral("Автовыбор масштаба"), axis->isAuto);
        // The first letter is a Latin C, as the menu has always had it.
        AddItem(menu, kGrMenuGraphBase + 100, QStringLiteral("C игнорированием сбоев"), axis->skipFaults,
                axis->isAuto != 0);
    }
    AddItem(menu, base + 1, QStringLiteral("Полный диапазон"), axis->isFull, axis->isAuto == 0);
    menu->addSeparator();
    AddItem(menu, base + 10, QStringLiteral("Отображать легенду"), axis->showLegend);
    AddItem(menu, base + 11, QStringLiteral("Отображать сетку"), axis->showSetka);
    AddItem(menu, base + 12, QStringLiteral("Отображать значения"), axis->showValues);
    const int formats = std::min(axis->GetFormatCount(), 10);
    if (formats > 0)
        menu->addSeparator();
    std::string name;
    for (int k = 0; k < formats; ++k) {
        if (axis->GetFormatName(k, &name))
            AddItem(menu, base + 20 + k, QStringLiteral("Вид: ") + QString::fromStdString(name),
                    k == axis->GetFormat());
    }
    QPointer<TGrWnd> self(this);
    connect(menu, &QMenu::triggered, this, [self](QAction* action) {
        if (self)
            self->OnMenuCommand(action->data().toInt());
    });
    menu->popup(mapToGlobal(clientPos));
}

void TGrWnd::OnMenuCommand(int id)
{
    if (id < kGrMenuFirst || id > kGrMenuLast)
        return;
    const bool xAxis = id < kGrMenuGraphBase;
    TGrDia* axis = xAxis ? (m_List != nullptr ? &m_XAxis : nullptr) : GraphAxis(m_CurrentGraph);
    if (axis == nullptr)
        return;
    const int c = id % 500;
    switch (c) {
    case 0: axis->isAuto = !axis->isAuto; break;
    case 1: axis->isFull = 1; break;
    case 10: axis->showLegend = !axis->showLegend; break;
    case 11: axis->showSetka = !axis->showSetka; break;
    case 12:
        axis->showValues = !axis->showValues;
        Layout();
        break;
    case 100:
        axis->isAuto = 1;
        axis->skipFaults = !axis->skipFaults;
        break;
    default:
        if (c >= 20)
            axis->SetFormat(c - 20);
        break;
    }
    axis->NormalizeView(true);
    axis->UpdateScrollBar(xAxis ? m_XBar : m_Panes[m_CurrentGraph].bar);
    Repaint();
}
