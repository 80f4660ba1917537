#pragma once
// The control window: port and speed selection, the two modes (display mode
// shows the device's live stream, control mode commands the device from the
// PC), the device buttons and the recording list.
//
// The class is spread over several files, one concern each:
//   CControlDlg.cpp         start-up, modes, timers, enabling, resizing, closing
//   CControlDlg_Layout.cpp  the controls, their ids, texts and positions
//   CControlDlg_Port.cpp    port and speed lists, reopening, control-mode monitor
//   CControlDlg_Device.cpp  the device buttons
//   CControlDlg_Live.cpp    live view: button 1002, timer 10, the chart, 1035
//   CControlDlg_List.cpp    recording list: scan thread, 1003, 1011, hidden tests
//   CControlDlg_Status.cpp  the status line 1012: the device's mode, the last outcome
#include "ODevice.h"
#include "ODownload.h"
#include "LiveChartPainter.h"
#include "OComPort.h"
#include "OLiveView.h"

#include <QDialog>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CListScanThread;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPainter;
class QTableWidget;
class QTimer;

struct ControlDlgOptions {
    // A port chosen on the command line: selected at start instead of the
    // stored one, without writing the setting.
    std::optional<int> portSelect;
};

class CControlDlg : public QDialog {
    Q_OBJECT

public:
    explicit CControlDlg(const ControlDlgOptions& options = {}, QWidget* parent = nullptr);
    ~CControlDlg() override;

    // ---- Modes and timers ----
    // 0 = display mode, 1 = control mode.
    void SetMode(int mode);
    // 0: timer 10 (20 ms) only; 1: timer 1 (25 ms) only; anything else: none.
    // Whoever takes bytes from the port for a while stops both with -1 and
    // restores them with m_Mode afterwards.
    void SetTimersForMode(int mode);
    bool TimerActive(int id) const;
    // A read check, a list scan or a download owns the port: the port list
    // and the device controls are off, except the button that stops it.
    bool DeviceBusy() const { return ReadCheckRunning() || m_ListScanning || m_Downloading; }
    void UpdateControlsEnabled();
    bool ReopenPort();

    // ---- Controls ----
    // The control with the given id (objectName "id<id>"), or nullptr.
    QWidget* Item(int id) const;
    QTableWidget* ListView() const { return m_List; }
    // Puts text into a cell of the recording list with its column's alignment.
    void SetListCell(int row, int column, const QString& text);
    // The download speed list's item data: the speed code of an index.
    int SpeedCode(int index) const;

    // One tick of the control-mode monitor (timer 1).
    void ControlModeTick();
    // When the port's reader stopped on a hang-up or read error: closes the
    // port, disables what needs it and, if tell, says so in a message box.
    // True when it did.
    bool CloseOnReadError(bool tell);
    static std::string ReadErrorText(uint32_t readError);
    // Whole-window repaints requested by mode changes and resizing.
    int FullRepaintRequests() const { return m_FullRepaintRequests; }
    void ShowAbout();

    // ---- State read by the other windows and operations ----
    int m_ChartTop = 0;   // top of the live chart area (the hidden mark 1016)
    int m_PortSelect = 0; // 0 = no port, n = COMn
    OComPort m_Port;
    ODevice m_Device{m_Port};
    int m_FastSpeedSelectorPos = 3; // index into the speed list
    uint32_t m_CurrentFileStartAdr = 0xFFFFFFFFu;
    int m_Mode = 0;
    int FastSpeedActive() const { return m_Device.m_FastSpeedActive; }
    // How long a download may hear nothing (tests shorten it).
    DownloadWatch m_DownloadWatch;

    // ---- Read check (CControlDlg_Device.cpp) ----
    // The check's dump runs on a worker thread until the device falls silent
    // or the user stops it (its button again, Escape or the close box).
    bool ReadCheckRunning() const { return m_ReadCheckThread.joinable(); }
    void reject() override;

    // ---- Live view (CControlDlg_Live.cpp) ----
    // Packet pump, sample ring, recording start time and date cache.
    std::unique_ptr<OLiveView> m_Live;
    // The sweeping trace, kept in an image that painting shows.
    std::unique_ptr<LiveChartPainter> m_LiveChart;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // CControlDlg_Layout.cpp
    void CreateControls();
    void SetUpListColumns();
    void AddControl(int id, QWidget* widget);

    // CControlDlg_Port.cpp
    void FillPortList();
    void FillSpeedList();
    void OnPortChosen(int index);
    void OnSpeedChosen(int index);

    // CControlDlg_Device.cpp
    void ConnectDeviceButtons();
    void OnStop();
    void RunDeviceAction(int editResultId, const std::function<std::optional<std::string>()>& action);
    void OnReadCheck();
    void OnReadCheckDone(int frames);
    // Cancels a running read check and waits for its end.
    void StopReadCheck();
    std::thread m_ReadCheckThread;
    std::atomic<bool> m_ReadCheckCancel{false};

    // CControlDlg_Live.cpp
    void InitLive();
    void ConnectLiveActions();
    void OnLiveTimer();
    void DrawLiveChart(QPainter& painter);
    void ShutdownLive();

    // CControlDlg_List.cpp
    void InitListScan();
    void ConnectListActions();
    void RefreshListControls();
    void ShutdownListScan();
    void ListButton();
    void DownloadSelected();
    CListScanThread* m_ListScan = nullptr; // ended by ShutdownListScan
    bool m_ListScanning = false;           // from the button until the scan's end has arrived
    bool m_Downloading = false;

    // CControlDlg_Status.cpp
    // The window's own status text; it ends the live view's text and the
    // wait for STOP's answer.
    void ShowStatus(const QString& text);
    void ShowLiveStatus(const std::string& line);
    // Leaving the live view takes its text (the silence note) with it.
    void LeaveLiveStatus();
    // STOP has been sent: the control-mode monitor looks for STOP-OK in what
    // it reads, and says so, or that nothing came, in the status line.
    void AwaitStopReply();
    void WatchStopReply(const uint8_t* bytes, int count);
    void ShowListOutcome(const QString& readErrorText, bool cancelled);
    int ListedRecordings() const;
    bool m_LiveStatusShown = false;
    bool m_AwaitingStopReply = false;
    uint32_t m_StopSentMs = 0;
    uint32_t m_ReplyTail = 0; // the last four bytes the monitor read

    void InvalidateAll();
    // Button 1019: the analysis window, made on first use and kept beyond
    // this window (AppWindows.h: ShowKeptWindow).
    void OpenAnalysis();

    std::map<int, QWidget*> m_Controls;
    QComboBox* m_PortList = nullptr;      // 1000
    QComboBox* m_SpeedList = nullptr;     // 1008
    QLineEdit* m_StatusEdit = nullptr;    // 1012
    QLineEdit* m_FirstFreeEdit = nullptr; // 1013
    QCheckBox* m_FilterCheck = nullptr;   // 1035
    QLabel* m_ChartMark = nullptr;        // 1016
    QTableWidget* m_List = nullptr;       // 1023
    QTimer* m_Timer1 = nullptr;
    QTimer* m_Timer10 = nullptr;
    std::vector<uint8_t> m_MonitorBuffer;
    int m_FullRepaintRequests = 0;
};

// Groups of controls by their show and enable rules.
// A: shown only in control mode, enabled only while the port is open.
inline constexpr int kGroupA[] = {1023, 1003, 1010, 1011, 1028, 1029, 1027, 1030,
                                  1008, 1013, 1006, 1018, 1017, 1020, 1,    2};
// B: always shown, enabled only while the port is open.
inline constexpr int kGroupB[] = {1002, 1001, 1012};
// Button 1018, and its text while the read check runs.
inline constexpr const char* kReadCheckText = "Проверка чтения";
inline constexpr const char* kReadCheckStopText = "Остановить проверку";
