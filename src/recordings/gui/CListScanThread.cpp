#include "CListScanThread.h"

#include "ODevice.h"

#include <QTableWidget>

CListScanThread::CListScanThread(ODevice& device, QObject* parent) : QObject(parent), m_Device(device)
{
    m_Thread = std::thread([this] { ThreadMain(); });
}

CListScanThread::~CListScanThread()
{
    // A negative state cancels a scan under way and ends the thread's loop.
    {
        std::lock_guard lock(m_Mutex);
        m_ListScanState.store(kScanThreadExit);
        m_Signalled = true;
    }
    m_Wake.notify_one();
    m_Thread.join();
}

bool CListScanThread::ListButton(const std::function<void()>& stopTimers)
{
    const int state = m_ListScanState.load();
    if (state == kScanRunning) {
        int running = kScanRunning;
        m_ListScanState.compare_exchange_strong(running, kScanCancelRequested);
        return false;
    }
    if (state != kScanIdle)
        return false; // a cancel is pending
    if (!m_Device.GetFirstFreeSector(m_FirstFreeSector))
        return false;
    if (stopTimers)
        stopTimers();
    {
        std::lock_guard lock(m_Mutex);
        m_ListScanState.store(kScanRunning);
        m_Signalled = true;
    }
    m_Wake.notify_one();
    return true;
}

void CListScanThread::ThreadMain()
{
    for (;;) {
        {
            std::unique_lock lock(m_Mutex);
            m_Wake.wait(lock, [this] { return m_Signalled; });
            m_Signalled = false;
        }
        const int state = m_ListScanState.load();
        if (state < 0)
            return;
        if (state != kScanRunning)
            continue;
        emit scanStarted();
        const ScanResult result =
            ScanRecordings(m_Device, m_FirstFreeSector, m_ListScanState, [this](const RecordingRow& row) {
                QStringList columns;
                for (const std::string& text : row)
                    columns << QString::fromStdString(text);
                emit rowReady(columns);
            });
        int current = m_ListScanState.load();
        while (current > 0 && !m_ListScanState.compare_exchange_weak(current, kScanIdle)) {
        }
        emit scanFinished(QString::fromStdString(result.readErrorText), result.cancelled,
                          QString::fromStdString(IncompleteListText(result)));
    }
}

RecordingRow ListRowTexts(QTableWidget* list, int row)
{
    RecordingRow texts;
    for (int column = 0; column < int(texts.size()) && column < list->columnCount(); ++column)
        if (const QTableWidgetItem* item = list->item(row, column))
            texts[size_t(column)] = item->text().toStdString();
    return texts;
}

void UpdateDownloadButton(QTableWidget* list, QWidget* downloadButton)
{
    if (!list->isEnabled())
        return;
    int row = list->currentRow();
    if (row < 0) {
        const auto selected = list->selectionModel()->selectedRows();
        if (!selected.isEmpty()) {
            row = selected.first().row();
            list->setCurrentCell(row, 0, QItemSelectionModel::NoUpdate);
        }
    }
    downloadButton->setEnabled(row >= 0 && !ListRowTexts(list, row)[1].empty());
}
