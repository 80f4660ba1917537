#include "CFlowLayout.h"

#include <QWidget>

#include <algorithm>

CFlowLayout::CFlowLayout(QWidget* parent, int spacing) : QLayout(parent), m_Spacing(spacing) {}

CFlowLayout::~CFlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void CFlowLayout::addItem(QLayoutItem* item)
{
    m_Items.push_back(item);
}

QLayoutItem* CFlowLayout::itemAt(int index) const
{
    return index >= 0 && index < count() ? m_Items[index] : nullptr;
}

QLayoutItem* CFlowLayout::takeAt(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    QLayoutItem* item = m_Items[index];
    m_Items.erase(m_Items.begin() + index);
    return item;
}

QSize CFlowLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem* item : m_Items)
        size = size.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize CFlowLayout::sizeHint() const
{
    int width = 0;
    for (const QLayoutItem* item : m_Items)
        width += item->sizeHint().width() + m_Spacing;
    return QSize(width, heightForWidth(width));
}

void CFlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int CFlowLayout::Arrange(const QRect& rect, bool place) const
{
    const QMargins m = contentsMargins();
    const QRect area = rect.marginsRemoved(m);
    int x = area.x(), y = area.y(), rowHeight = 0;
    for (QLayoutItem* item : m_Items) {
        if (item->isEmpty())
            continue;
        const QSize hint = item->sizeHint();
        if (x > area.x() && x + hint.width() > area.right() + 1) {
            x = area.x();
            y += rowHeight + m_Spacing / 2;
            rowHeight = 0;
        }
        if (place)
            item->setGeometry(QRect(QPoint(x, y), hint));
        x += hint.width() + m_Spacing;
        rowHeight = std::max(rowHeight, hint.height());
    }
    return y + rowHeight - rect.y() + m.bottom();
}
