#pragma once
// The analysis window: the user picks a recording, has it processed on the
// worker thread under a wait dialog and looks at its channels in the chart.
// It owns the open file with its arrays, the filter, the worker, the control
// bar, the chart and the graph list the chart reads.
//
// One object per program run (its owner keeps it); closing the window
// releases the file, and showing it again starts afresh with the file choice.
#include "HolterReport.h"
#include "OEKGFilter.h"
#include "OEcgFile.h"
#include "OEventTableModel.h"
#include "OGrList_Uevo.h"
#include "OPassWorker.h"
#include "ProcessFile.h"
#include "RhythmEvents.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QSplitter;
class QTreeView;

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CControlBar;
class CWaitDialog;
class TGrWnd;

class CShowDataWindow : public QWidget {
    Q_OBJECT
public:
    // fileToOpen: open this file instead of asking for one when the window
    // first comes up (the command line's --analyse FILE).
    explicit CShowDataWindow(std::optional<std::string> fileToOpen = std::nullopt);
    ~CShowDataWindow() override;

    // One command of the control bar (1300, 1400, 1500, 1700, 2000, 2200); others
    // are ignored.
    void Command(int code);
    void PostCommand(int code);

    // Opens a chosen file as the file choice does after its dialog: console
    // trace, open, rebuild; then posts the processing pass.
    void OpenChosenFile(const std::string& path);

    OEcgFile& File() { return m_File; }
    OGrList_Uevo& GrList() { return m_GrList; }
    CControlBar* Bar() const { return m_Bar; }
    TGrWnd* Chart() const { return m_Chart; }
    // What the file check found (objectName "RecordingCheck"); hidden while
    // the open file looks like a recording.
    QLabel* CheckText() const { return m_CheckText; }
    // The events of the last pass beside the chart (objectName "idEventList");
    // hidden until a pass has been shown.
    QTreeView* EventList() const { return m_EventList; }
    const OEventTableModel& EventModel() const { return m_EventModel; }
    OProcessControl& Control() { return m_Control; }
    bool PassRunning() const { return m_Worker->State() != OPassWorker::Idle; }
    int PassesDone() const { return m_PassesDone; }

    // The pass the worker runs (ProcessFile unless replaced); change it only
    // while no pass runs. Tests hold a pass at a known point with it.
    using PassFunction = std::function<void(OEcgFile&, OEKGFilter&, OProcessControl&)>;
    void SetPass(PassFunction pass) { m_Pass = std::move(pass); }
    // What finds the events after each pass (FindRhythmEvents unless
    // replaced): impulses, their count and the recording's length in samples.
    using EventFinder = std::function<ORhythmSummary(const OImpulse*, int64_t, int64_t)>;
    void SetEventFinder(EventFinder finder) { m_FindEvents = std::move(finder); }

    // Moves the chart to event row (of the event list) and selects it there;
    // the keys N and P go to the next and the previous one.
    void ChooseEvent(int row);
    int ChosenEvent() const { return m_ChosenEvent; }
    // After the next pass, shows the event a review starts from
    // (FirstEventToReview): the command line's --review.
    void ReviewAfterPass() { m_ReviewAfterPass = true; }

signals:
    // A pass has ended and its results are shown.
    void PassShown();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Start();
    void Rebuild();
    void ChooseFile();
    void Process();
    void EditParameters();
    void ExportData();
    // The save dialog for a file made from the recording: its folder, its
    // name with suffix (CShowDataWindowEdf.cpp).
    std::optional<std::string> AskSaveBesideRecording(const std::string& title, const std::string& suffix,
                                                      const std::string& ext,
                                                      std::vector<std::pair<std::string, std::string>> filters);
    void ExportEdfFile(); // CShowDataWindowEdf.cpp
    void MakeReport();    // CShowDataWindowReport.cpp
    // Runs job on the worker under a wait dialog; returns when it has ended.
    void RunOnWorker(std::function<void()> job, const std::string& title, std::function<std::string()> text,
                     std::atomic<int32_t>* progress, std::atomic<int32_t>* cancel, int32_t range);
    void ShowFileState();
    void ShowResultState();
    void ShowRecordingCheck();
    void ForwardKey(QKeyEvent* event);
    // The event list (CShowDataWindowEvents.cpp).
    QTreeView* MakeEventList();
    void FindEvents();
    void ClearEvents();
    void ShowEvent(int row);
    bool EventKey(const QKeyEvent* event);

    OEcgFile m_File;
    std::unique_ptr<OEKGFilter> m_Filter;
    OGrList_Uevo m_GrList;
    OProcessControl m_Control;
    CControlBar* m_Bar = nullptr;
    TGrWnd* m_Chart = nullptr;
    QLabel* m_CheckText = nullptr;
    OEventTableModel m_EventModel;
    QSplitter* m_Split = nullptr; // the chart and the event list
    QTreeView* m_EventList = nullptr;
    int m_EventListWidth = 0; // all its columns, as it first comes up
    // A lambda, not the function's name: FindRhythmEvents may be overloaded.
    EventFinder m_FindEvents = [](const OImpulse* impulses, int64_t count, int64_t totalSamples) {
        return FindRhythmEvents(impulses, count, totalSamples);
    };
    int m_ChosenEvent = -1;
    bool m_ReviewAfterPass = false;
    QPointer<CWaitDialog> m_Notify; // receives the end of a pass
    bool m_Started = false;         // shown and not closed since
    std::optional<std::string> m_FileToOpen;
    PassFunction m_Pass;
    std::function<void()> m_Job; // instead of the pass, while set
    OReportControl m_ReportControl;
    int m_PassesDone = 0;
    // Last: destroyed first, so that a running pass ends while all it uses
    // still exists.
    std::unique_ptr<OPassWorker> m_Worker;
};
