#pragma once
// Whether a window shows all of its controls whole (window tests only).
#include <QAbstractButton>
#include <QLabel>
#include <QStringList>
#include <QWidget>

// The shown controls that do not fit: outside the window, or narrower than
// their text needs. Empty when every control is whole.
inline QStringList CutOffControls(QWidget& window)
{
    QStringList cut;
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisibleTo(&window))
            continue;
        const QString name = child->objectName() + " " + child->metaObject()->className();
        if (!window.rect().contains(child->geometry()))
            cut << name + " outside";
        if ((qobject_cast<QAbstractButton*>(child) || qobject_cast<QLabel*>(child)) &&
            child->width() < child->minimumSizeHint().width())
            cut << name + QString(" too narrow: %1 < %2").arg(child->width()).arg(child->minimumSizeHint().width());
    }
    return cut;
}
