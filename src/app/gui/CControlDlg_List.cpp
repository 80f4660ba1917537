// Recording list: the scan thread, reading the list (1003), downloading the
// selected recording (1011) and the hidden test commands (1005, 1004, 1007).
#include "CControlDlg.h"

#include "CDownloadDlg.h"
#include "CListScanThread.h"
#include "DownloadSession.h"
#include "OConsole.h"
#include "ODialogs.h"
#include "RecordingRows.h"
#include "ScanRecordings.h"
#include "TestCommands.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

void CControlDlg::InitListScan()
{
    m_ListScan = new CListScanThread(m_Device);
    connect(m_ListScan, &CListScanThread::scanStarted, this, [this] {
        m_List->setRowCount(0);
        RefreshListControls();
    });
    connect(m_ListScan, &CListScanThread::rowReady, this, [this](const QStringList& columns) {
        const int row = m_List->rowCount();
        for (int column = 0; column < columns.size(); ++column)
            SetListCell(row, column, columns[column]);
    });
    connect(m_ListScan, &CListScanThread::scanFinished, this,
            [this](const QString& readErrorText, bool cancelled, const QString& incompleteText) {
                QHeaderView* header = m_List->horizontalHeader();
                for (int i = 0; i < m_List->columnCount(); ++i)
                    header->resizeSection(i, header->sectionSizeHint(i));
                SetTimersForMode(m_Mode);
                static_cast<QPushButton*>(Item(1003))->setText(kListButtonText);
                m_ListScanning = false;
                UpdateControlsEnabled();
                RefreshListControls();
                ShowListOutcome(readErrorText, cancelled);
                if (!incompleteText.isEmpty()) {
                    // Said before the box, so that the window shows it while the box waits.
                    ShowStatus(incompleteText);
                    Console().Write(incompleteText.toStdString() + "\n");
                }
                // A line that went away is told once, by the port's own box
                // (which also closes the port), not again as a read error.
                if (!CloseOnReadError(true) && !readErrorText.isEmpty())
                    Dialogs().Message(readErrorText.toStdString(), kListReadErrorCaption, MsgIcon::Error);
            });
}

void CControlDlg::ConnectListActions()
{
    connect(static_cast<QPushButton*>(Item(1003)), &QPushButton::clicked, this, &CControlDlg::ListButton);
    connect(static_cast<QPushButton*>(Item(1011)), &QPushButton::clicked, this, &CControlDlg::DownloadSelected);
    connect(m_List, &QTableWidget::cellDoubleClicked, this, &CControlDlg::DownloadSelected);
    connect(m_List, &QTableWidget::currentCellChanged, this, &CControlDlg::RefreshListControls);
    connect(m_List, &QTableWidget::itemSelectionChanged, this, &CControlDlg::RefreshListControls);

    // The device's test commands; their buttons stay hidden.
    connect(static_cast<QPushButton*>(Item(1005)), &QPushButton::clicked, this, [this] { FillTest(m_Port); });
    connect(static_cast<QPushButton*>(Item(1004)), &QPushButton::clicked, this, [this] {
        FileDialogRequest request;
        request.title = "Выберите WAV - файл для записи во flash прибора";
        request.filters = {{"WAV - файлы (*.wav)", "*.wav"}, {"Все файлы (*.*)", "*.*"}};
        if (const auto path = Dialogs().ChooseOpenFile(request))
            UploadSound(m_Port, *path);
    });
    connect(static_cast<QPushButton*>(Item(1007)), &QPushButton::clicked, this, [this] { PlaySound(m_Port); });
}

void CControlDlg::RefreshListControls()
{
    UpdateDownloadButton(m_List, Item(1011));
}

void CControlDlg::ShutdownListScan()
{
    delete m_ListScan;
    m_ListScan = nullptr;
}

void CControlDlg::ListButton()
{
    if (!m_ListScan->ListButton([this] { SetTimersForMode(-1); }))
        return;
    static_cast<QPushButton*>(Item(1003))->setText(kListButtonCancelText);
    m_ListScanning = true;
    UpdateControlsEnabled();
    ShowStatus("Идет чтение списка файлов с SD-карты");
}

void CControlDlg::DownloadSelected()
{
    if (!m_List->isEnabled())
        return;
    int row = m_List->currentRow();
    if (row < 0) {
        const auto selected = m_List->selectionModel()->selectedRows();
        if (selected.isEmpty())
            return;
        row = selected.first().row();
        m_List->setCurrentCell(row, 0, QItemSelectionModel::NoUpdate);
    }
    const auto range = RowDownloadRange(ListRowTexts(m_List, row));
    if (!range)
        return;
    m_Downloading = true;
    UpdateControlsEnabled();
    const auto outcome = RunDownloadWindow(
        this, m_Device, *range, [this](int mode) { SetTimersForMode(mode); }, m_Mode, m_DownloadWatch);
    m_Downloading = false;
    UpdateControlsEnabled();
    RefreshListControls();
    if (!outcome)
        return;
    // The download window has named a port failure already: no second box.
    CloseOnReadError(false);
    ShowStatus(QString::fromStdString(outcome->summaryText));
}
