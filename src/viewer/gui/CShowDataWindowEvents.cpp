// The analysis window's event list: the events of the last pass beside the
// chart, the chart moved to the chosen one, and the keys that step through
// them.
#include "CControlBar.h"
#include "CShowDataWindow.h"
#include "EcgTime.h"
#include "EventReview.h"
#include "TGrWnd.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSplitter>
#include <QStyle>
#include <QTreeView>

#include <algorithm>

namespace {

// Keys of the Cyrillic letters on the places of N and P of a Russian keyboard
// (Qt gives a letter key the code of its capital letter).
constexpr int kKeyCyrillicTe = 0x0422; // Т
constexpr int kKeyCyrillicZe = 0x0417; // З

const char* const kEventListTip = "N — следующее событие, P — предыдущее";

// Column widths from texts as wide as the columns' widest: measuring the
// rows themselves would read every row of a day's list.
const char* const kWidestTexts[] = {"00:00:00", "Длительность", "ЧСС", "Наджелудочковая тахикардия"};

} // namespace

QTreeView* CShowDataWindow::MakeEventList()
{
    auto* view = new QTreeView(this);
    view->setObjectName("idEventList");
    view->setToolTip(QString::fromUtf8(kEventListTip));
    view->setModel(&m_EventModel);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->header()->setStretchLastSection(true);
    int width = view->frameWidth() * 2;
    for (int c = 0; c < OEventTableModel::kColumnCount; ++c) {
        const int w = view->fontMetrics().horizontalAdvance(QString::fromUtf8(kWidestTexts[c])) + 16;
        view->setColumnWidth(c, w);
        width += w;
    }
    view->setMinimumWidth(width / 2);
    m_EventListWidth = width + view->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    view->installEventFilter(this);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    ShowEvent(current.row());
            });
    view->hide();
    return view;
}

void CShowDataWindow::FindEvents()
{
    const OChannel<OImpulse>& impulses = m_File.ImpulseInfo();
    ORhythmSummary summary;
    if (impulses.Present() && m_FindEvents)
        summary = m_FindEvents(impulses.Data(), impulses.Count(), kSamplesPerSector * m_File.SectorCount());
    m_ChosenEvent = -1;
    m_GrList.SetEvents(summary.events);
    m_EventModel.SetEvents(std::move(summary.events), m_GrList.StartTime());
    if (impulses.Present() && m_EventList->isHidden()) {
        m_EventList->show();
        // As it comes up, the chart takes what the list's columns leave, and
        // on a narrow screen at least 60 %; later the user's division stays.
        const int total = m_Split->width();
        const int list = std::min(m_EventListWidth, total * 2 / 5);
        m_Split->setSizes({std::max(total - list, 1), list});
    } else if (!impulses.Present()) {
        m_EventList->hide();
    }
}

void CShowDataWindow::ClearEvents()
{
    m_ChosenEvent = -1;
    m_GrList.SetEvents({});
    m_EventModel.SetEvents({}, m_GrList.StartTime());
    m_EventList->hide();
}

void CShowDataWindow::ChooseEvent(int row)
{
    if (row < 0 || row >= m_EventModel.rowCount())
        return;
    const QModelIndex index = m_EventModel.index(row, 0);
    if (m_EventList->currentIndex().row() != row)
        m_EventList->setCurrentIndex(index); // shows it through currentRowChanged
    else
        ShowEvent(row);
    m_EventList->scrollTo(index);
}

void CShowDataWindow::ShowEvent(int row)
{
    const std::vector<ORhythmEvent>& events = m_EventModel.Events();
    if (row < 0 || row >= static_cast<int>(events.size()))
        return;
    m_ChosenEvent = row;
    // An event is reviewed on the ECG and its beats: without an ECG graph
    // the filtered signal is shown, and the recognised impulses with their
    // classes; a choice of graphs that has ECG stays as it is.
    const OSeriesChoice choice = m_Bar->Choice();
    if (!choice.rawEcg && !choice.filteredEcg) {
        m_Bar->SetTicked(kIdFilteredEcg, true);
        m_Bar->SetTicked(kIdImpulses, true);
        Rebuild();
    }
    m_GrList.ChooseEvent(row);
    const OTimeRange range = EventViewRange(events[row], m_GrList.StartTime());
    m_Chart->ShowXRange(range.lo, range.hi);
}

bool CShowDataWindow::EventKey(const QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    int step = 0;
    switch (event->key()) {
    case Qt::Key_N:
    case kKeyCyrillicTe:
        step = 1;
        break;
    case Qt::Key_P:
    case kKeyCyrillicZe:
        step = -1;
        break;
    default:
        return false;
    }
    const int next = NeighbourEvent(m_EventModel.rowCount(), m_ChosenEvent, step);
    if (next >= 0)
        ChooseEvent(next);
    return true;
}

bool CShowDataWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The list would take N and P for a search by the first letter.
    if (watched == m_EventList && event->type() == QEvent::KeyPress && EventKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}
