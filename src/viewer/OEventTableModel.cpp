#include "OEventTableModel.h"

#include "EventReview.h"

void OEventTableModel::SetEvents(std::vector<ORhythmEvent> events, double timeOffset)
{
    beginResetModel();
    m_Events = std::move(events);
    m_TimeOffset = timeOffset;
    endResetModel();
}

void OEventTableModel::SetTimeOffset(double timeOffset)
{
    if (timeOffset == m_TimeOffset)
        return;
    m_TimeOffset = timeOffset;
    if (!m_Events.empty())
        emit dataChanged(index(0, kColumnTime), index(rowCount() - 1, kColumnTime), {Qt::DisplayRole});
}

int OEventTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_Events.size());
}

int OEventTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant OEventTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return {};
    const ORhythmEvent& e = m_Events[index.row()];
    if (role == Qt::TextAlignmentRole)
        return index.column() == kColumnKind ? QVariant() : QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
    if (role == Qt::ToolTipRole && index.column() == kColumnKind)
        return QString::fromUtf8("%1, ударов: %2").arg(QString::fromUtf8(RhythmKindName(e.kind))).arg(e.beats);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case kColumnKind:
        return QString::fromUtf8(RhythmKindTitle(e.kind));
    case kColumnTime:
        return QString::fromStdString(EventTimeText(e, m_TimeOffset));
    case kColumnDuration:
        return QString::fromStdString(EventDurationText(e));
    case kColumnRate:
        return QString::fromStdString(EventRateText(e));
    default:
        return {};
    }
}

QVariant OEventTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kColumnKind:
        return QStringLiteral("Событие");
    case kColumnTime:
        return QStringLiteral("Начало");
    case kColumnDuration:
        return QStringLiteral("Длительность");
    case kColumnRate:
        return QStringLiteral("ЧСС");
    default:
        return {};
    }
}
