#pragma once
// The analysis window's event list as a table model over the events of the
// last pass: the texts of a row are made only when a view asks for them, so
// a day's thousands of events show at once. Qt Core only; the window puts a
// view on it.
#include "RhythmEvents.h"

#include <QAbstractTableModel>

#include <vector>

class OEventTableModel : public QAbstractTableModel {
public:
    // Time first, as a day's list is read; the kind last, where a narrow list
    // cuts its long names short.
    enum Column : int { kColumnTime, kColumnDuration, kColumnRate, kColumnKind, kColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // Replaces the events; timeOffset is the chart's start time of day, in
    // seconds, that the time column counts from.
    void SetEvents(std::vector<ORhythmEvent> events, double timeOffset);
    const std::vector<ORhythmEvent>& Events() const { return m_Events; }
    // A new start time of day: the time column follows.
    void SetTimeOffset(double timeOffset);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<ORhythmEvent> m_Events;
    double m_TimeOffset = 0.0;
};
