#pragma once
// The recording list's scan thread: it waits for a wake-up, walks the card
// with the device's short sector reads and hands every row to the window
// through queued signals, so the window stays responsive and can cancel.
#include "ScanRecordings.h"

#include <QObject>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class ODevice;
class QTableWidget;
class QWidget;

class CListScanThread : public QObject {
    Q_OBJECT

public:
    explicit CListScanThread(ODevice& device, QObject* parent = nullptr);
    // Ends the thread (after the scan under way, which is asked to cancel).
    ~CListScanThread() override;

    // The list button: cancels a running scan, or reads the first free sector
    // and starts a scan (stopTimers is called first); false when nothing started.
    bool ListButton(const std::function<void()>& stopTimers);
    int State() const { return m_ListScanState.load(); }

signals:
    // In this order, on the window's thread: the list must be emptied, rows
    // follow, then the end with the reason of a failed last read (or empty)
    // and, for a scan that lost the device, the line on the sectors it did
    // not read (IncompleteListText; else empty).
    void scanStarted();
    void rowReady(const QStringList& columns);
    void scanFinished(const QString& readErrorText, bool cancelled, const QString& incompleteText);

private:
    void ThreadMain();

    ODevice& m_Device;
    std::atomic<int> m_ListScanState{kScanIdle};
    uint32_t m_FirstFreeSector = 0;
    std::mutex m_Mutex;
    std::condition_variable m_Wake;
    bool m_Signalled = false; // auto-reset event
    std::thread m_Thread;
};

// Enables the download button when the list has a current row whose first
// sector column is not empty (the first row counts; the "стоп" row does not).
void UpdateDownloadButton(QTableWidget* list, QWidget* downloadButton);
// The texts of a row of the list.
RecordingRow ListRowTexts(QTableWidget* list, int row);
