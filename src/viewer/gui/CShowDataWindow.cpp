#include "CShowDataWindow.h"

#include "CControlBar.h"
#include "CFilterParamsDlg.h"
#include "CWaitDialog.h"
#include "DetectorKind.h"
#include "EcgFileName.h"
#include "EventReview.h"
#include "ExportSeries.h"
#include "OConsole.h"
#include "ODialogs.h"
#include "OSettings.h"
#include "RecordingCheck.h"
#include "StrFormat.h"
#include "TGrWnd.h"

#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace {

const char* const kTitle = "Обработка записей ЭКГ";
const char* const kOpenSection = "OPEN";
const char* const kOpenPath = "GetOpenFileName_PATH";
const char* const kOpenName = "GetOpenFileName_NAME";

// Result boxes and the arrays that must exist for them to be usable.
struct ResultBox {
    int id;
    bool (*present)(const OEcgFile&);
};
const ResultBox kResultBoxes[] = {
    {kIdFilteredEcg, [](const OEcgFile& f) { return f.Display() != nullptr; }},
    {kIdThreshold, [](const OEcgFile& f) { return f.Display() != nullptr; }},
    {kIdDefect, [](const OEcgFile& f) { return f.ImpulseInfo().Present(); }},
    {kIdImpulses, [](const OEcgFile& f) { return f.ImpulseInfo().Present(); }},
    {kIdPulse, [](const OEcgFile& f) { return f.Puls().Present(); }},
    {kIdTemperature, [](const OEcgFile& f) { return f.Thermo().Present(); }},
    {kIdCcp, [](const OEcgFile& f) { return f.FMs().Present(); }},
    {kIdCcpFine, [](const OEcgFile& f) { return f.FMs().Present(); }},
};
const int kRawBoxes[] = {kIdRawEcg, kIdRawTemperature, kIdRawAccelerations, kIdSeparateXyz};
constexpr int kMinChartHeight = 200;

} // namespace

CShowDataWindow::CShowDataWindow(std::optional<std::string> fileToOpen)
    : m_Filter(std::make_unique<OEKGFilter>()), m_GrList(&m_File), m_FileToOpen(std::move(fileToOpen)),
      m_Pass([](OEcgFile& file, OEKGFilter& filter, OProcessControl& control) {
          ProcessFile(file, filter, control, {.display = true});
      })
{
    setObjectName("CShowDataWindow");
    setWindowTitle(QString::fromUtf8(kTitle));
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::StrongFocus);

    m_Worker = std::make_unique<OPassWorker>(
        [this] {
            if (m_Job)
                m_Job();
            else
                m_Pass(m_File, *m_Filter, m_Control);
        },
        [this] {
            // On the worker thread: the window's own thread closes the dialog.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (m_Notify)
                        m_Notify->PassEnded();
                },
                Qt::QueuedConnection);
        });

    m_Bar = new CControlBar(this);
    m_Chart = new TGrWnd(this);
    m_CheckText = new QLabel(this);
    m_CheckText->setObjectName("RecordingCheck");
    m_CheckText->setWordWrap(true);
    m_CheckText->setStyleSheet("color: #a00000");
    m_CheckText->hide();
    m_EventList = MakeEventList();
    m_Split = new QSplitter(Qt::Horizontal, this);
    m_Split->setChildrenCollapsible(false);
    m_Split->addWidget(m_Chart);
    m_Split->addWidget(m_EventList);
    m_Split->setStretchFactor(0, 1);
    m_Split->setStretchFactor(1, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_Bar);
    layout->addWidget(m_CheckText);
    layout->addWidget(m_Split, 1);
    connect(m_Bar, &CControlBar::Command, this, &CShowDataWindow::Command);
    connect(m_Bar, &CControlBar::EscapePressed, this, [this] { setFocus(Qt::ShortcutFocusReason); });

    m_Chart->SetGrList(&m_GrList);
    ShowFileState();
    // Narrowed, the bar wraps its controls into more rows: the smallest
    // window still holds all of them above a chart of a few panes' height.
    const int minWidth = std::max(m_Bar->minimumSizeHint().width(), 480);
    setMinimumSize(minWidth, m_Bar->heightForWidth(minWidth) + kMinChartHeight);
    resize(1000, 700);
    setWindowState(Qt::WindowMaximized);
}

CShowDataWindow::~CShowDataWindow()
{
    // Waits for a running pass before the file and the filter go.
    m_Worker.reset();
}

void CShowDataWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_Started)
        Start();
}

// What the window does each time it comes up: an empty chart, no file, and
// the file choice right away.
void CShowDataWindow::Start()
{
    m_Started = true;
    m_Bar->ResetToDefaults();
    m_GrList.Clear();
    m_GrList.ResetStartTime();
    m_Chart->SetGrList(&m_GrList);
    m_File.CloseEcgFile();
    m_GrList.Line().ForgetEnvelopes();
    ShowFileState();
    if (m_FileToOpen) {
        const std::string path = *m_FileToOpen;
        m_FileToOpen.reset();
        QTimer::singleShot(0, this, [this, path] { OpenChosenFile(path); });
    } else {
        PostCommand(kCmdChooseFile);
    }
}

void CShowDataWindow::closeEvent(QCloseEvent* event)
{
    if (PassRunning()) {
        event->ignore();
        return;
    }
    // Nothing stays open behind a closed window.
    m_Started = false;
    m_File.CloseEcgFile();
    m_GrList.Clear();
    m_GrList.Line().ForgetEnvelopes();
    m_Chart->SetGrList(&m_GrList);
    ShowFileState();
    QWidget::closeEvent(event);
}

void CShowDataWindow::PostCommand(int code)
{
    QMetaObject::invokeMethod(
        this, [this, code] { Command(code); }, Qt::QueuedConnection);
}

void CShowDataWindow::Command(int code)
{
    switch (code) {
    case kCmdRebuild:
        Rebuild();
        break;
    case kCmdChooseFile:
        ChooseFile();
        break;
    case kCmdProcess:
        Process();
        break;
    case kCmdParameters:
        EditParameters();
        break;
    case kCmdExport:
        ExportData();
        break;
    case kCmdExportEdf:
        ExportEdfFile();
        break;
    case kCmdReport:
        MakeReport();
        break;
    default:
        break;
    }
}

void CShowDataWindow::Rebuild()
{
    std::string text = m_Bar->StartTimeText();
    m_GrList.Rebuild(m_Bar->Choice(), text, m_Filter->GetNI());
    m_Bar->SetStartTimeText(text);
    m_EventModel.SetTimeOffset(m_GrList.StartTime());
    m_Chart->SetGrList(&m_GrList);
}

void CShowDataWindow::ChooseFile()
{
    FileDialogRequest request;
    request.title = "Выбирите файл ЭКГ для обработки";
    request.filters = {{"ЭКГ - файлы (*.экг)", "*.экг"}, {"WAV - файлы (*.wav)", "*.wav"}, {"Все файлы (*.*)", "*"}};
    request.defaultExt = "экг";
    request.folder = OSettings::GetString(kOpenSection, kOpenPath, QDir::homePath().toStdString());
    request.fileName = OSettings::GetString(kOpenSection, kOpenName, "12345.wav");
    const std::optional<std::string> path = Dialogs().ChooseOpenFile(request);
    if (!path)
        return;
    const OPathParts parts = SplitPath(*path);
    std::string folder = parts.folder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    OSettings::WriteString(kOpenSection, kOpenPath, folder);
    OSettings::WriteString(kOpenSection, kOpenName, parts.ext.empty() ? parts.name : parts.name + "." + parts.ext);
    OpenChosenFile(*path);
}

void CShowDataWindow::OpenChosenFile(const std::string& path)
{
    const OPathParts parts = SplitPath(path);
    const bool isEcg = IsEcgExtension(path);
    Console().Write("Name = ").Write(parts.name).Write("\n");
    Console().Write("Ext = ").Write(parts.ext).Write("\n");
    Console().Write("IsEKG = ").WriteInt(isEcg ? 1 : 0).Write("\n");
    const bool opened = m_File.OpenEcgFile(path, isEcg);
    m_GrList.Line().ForgetEnvelopes();
    if (opened)
        m_Bar->SetStartTimeText(m_File.StartOfDay().Text());
    ShowFileState();
    ShowRecordingCheck();
    Rebuild();
    PostCommand(kCmdProcess);
}

void CShowDataWindow::Process()
{
    if (PassRunning())
        return;
    CWaitDialog::Sources sources;
    sources.filePath = m_File.FilePath();
    sources.sectorCount = static_cast<int32_t>(std::min<int64_t>(m_File.SectorCount(), INT32_MAX));
    sources.progress = &m_Control.progress;
    sources.impulseCount = [this] { return static_cast<int>(m_Control.impulses.load(std::memory_order_relaxed)); };
    sources.cancel = &m_Control.cancel;
    CWaitDialog dialog(this, sources);

    // The results are rewritten during the pass: the chart leaves them alone.
    m_GrList.Line().SetResultsHidden(true);
    m_Notify = &dialog;
    m_Control.cancel.store(0);
    m_Control.progress.store(0);
    m_Control.impulses.store(0);
    m_Worker->Request();
    dialog.exec();
    m_Notify = nullptr;
    m_GrList.Line().SetResultsHidden(false);

    ShowRecordingCheck();
    ShowResultState();
    FindEvents();
    Rebuild();
    if (m_ReviewAfterPass) {
        m_ReviewAfterPass = false;
        ChooseEvent(FirstEventToReview(m_EventModel.Events()));
    }
    ++m_PassesDone;
    emit PassShown();
}

void CShowDataWindow::ShowFileState()
{
    const bool open = m_File.IsOpen();
    if (!open)
        m_CheckText->hide();
    setWindowTitle(QString::fromUtf8(kTitle) +
                   (open ? QString::fromUtf8(" - ") + QString::fromStdString(m_File.FilePath())
                         : QString::fromUtf8(" - выбирите файл для обработки")));
    m_Bar->EnableControl(kIdProcess, open);
    m_Bar->EnableControl(kIdExport, open);
    m_Bar->EnableControl(kIdExportEdf, open);
    m_Bar->EnableControl(kIdReport, false);
    for (int id : kRawBoxes)
        m_Bar->EnableControl(id, m_File.IsMapped());
    for (const ResultBox& box : kResultBoxes)
        m_Bar->EnableControl(box.id, false);
    m_Bar->EnableControl(kIdBodyPosition, false);
    m_Bar->SetSummary("");
    ClearEvents();
}

void CShowDataWindow::ShowRecordingCheck()
{
    // The pass checked the sectors as it read them, on the worker: reading a
    // day-long file once more for it here would hold up the window.
    if (!m_File.PassCheck()) {
        m_CheckText->hide();
        return;
    }
    const ORecordingCheck& check = *m_File.PassCheck();
    ReportRecordingCheck(check);
    std::string text;
    for (const std::string& line : check.Lines())
        text += (text.empty() ? "" : "\n") + line;
    m_CheckText->setText(QString::fromStdString(text));
    m_CheckText->setVisible(!check.Ok());
}

void CShowDataWindow::ShowResultState()
{
    const auto& impulses = m_File.ImpulseInfo();
    int64_t flagged = 0;
    std::map<char, long long> classes;
    for (int64_t i = 0; i < impulses.Count(); ++i) {
        flagged += impulses[i].Flags != 0;
        ++classes[impulses[i].Class];
    }
    std::string summary =
        StrFormat("Алгоритм распознавания: %s, импульсов: %lld, помеченных: %lld", DetectorTitle(m_Filter->m_Detector),
                  static_cast<long long>(impulses.Count()), static_cast<long long>(flagged));
    // Once the classifier has run, the count of every class.
    if (impulses.Count() > classes[kBeatUnclassified])
        for (char c : {kBeatNormal, kBeatSupra, kBeatVentricular, kBeatFusion, kBeatUnknown})
            summary += StrFormat(", %c: %lld", c, classes[c]);
    m_Bar->SetSummary(summary);
    for (const ResultBox& box : kResultBoxes)
        m_Bar->EnableControl(box.id, box.present(m_File));
    m_Bar->EnableControl(kIdBodyPosition, false);
    m_Bar->EnableControl(kIdReport, m_File.IsOpen() && m_File.ImpulseInfo().Present());
}

void CShowDataWindow::EditParameters()
{
    CFilterParamsDlg dialog(this, *m_Filter);
    dialog.exec();
}

void CShowDataWindow::ExportData()
{
    ExportDerivedSeries(m_File);
}

void CShowDataWindow::ForwardKey(QKeyEvent* event)
{
    m_Chart->ForwardKey(event);
    event->accept();
}

void CShowDataWindow::keyPressEvent(QKeyEvent* event)
{
    if (EventKey(event)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        m_Bar->setFocus(Qt::ShortcutFocusReason);
        event->accept();
        return;
    }
    ForwardKey(event);
}

void CShowDataWindow::keyReleaseEvent(QKeyEvent* event)
{
    ForwardKey(event);
}
