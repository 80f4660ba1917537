// "Отчёт ...": the Holter report of the processed file, built on the worker
// under the wait dialog and opened in the desktop's PDF viewer.
#include "CShowDataWindow.h"

#include "CWaitDialog.h"
#include "EcgCalibration.h"
#include "EcgFileName.h"
#include "ODialogs.h"
#include "ReportPdf.h"
#include "StrFormat.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace {

// A real screen to show the PDF on: not the offscreen platform of tests and
// command lines.
bool HaveDisplay()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

} // namespace

void CShowDataWindow::RunOnWorker(std::function<void()> job, const std::string& title,
                                  std::function<std::string()> text, std::atomic<int32_t>* progress,
                                  std::atomic<int32_t>* cancel, int32_t range)
{
    CWaitDialog::Sources sources;
    sources.filePath = m_File.FilePath();
    sources.sectorCount = range;
    sources.progress = progress;
    sources.cancel = cancel;
    sources.title = title;
    sources.text = std::move(text);
    CWaitDialog dialog(this, sources);
    m_Notify = &dialog;
    m_Job = std::move(job);
    m_Worker->Request();
    dialog.exec();
    m_Notify = nullptr;
    m_Job = nullptr;
}

void CShowDataWindow::MakeReport()
{
    if (PassRunning() || !m_File.IsOpen())
        return;
    const std::optional<std::string> path =
        AskSaveBesideRecording("Сохранить отчёт", " - отчёт.pdf", "pdf", {{"PDF - файлы (*.pdf)", "*.pdf"}});
    if (!path)
        return;

    OReportRequest request;
    request.pdf = *path;
    request.detector = m_Filter->m_Detector;
    request.unitsPerMillivolt = EcgCalibration::LoadUnitsPerMillivolt();
    m_ReportControl.cancel.store(0);
    m_ReportControl.progress.store(0);
    std::string error;
    bool written = false;
    RunOnWorker(
        [&] { written = WriteHolterReport(m_File, request, m_ReportControl, error); }, "Ждите, идет подготовка отчёта",
        [this, path] { return StrFormat("%s\nГотово %d %%", path->c_str(), m_ReportControl.progress.load() / 10); },
        &m_ReportControl.progress, &m_ReportControl.cancel, 1000);
    if (!written) {
        if (!error.empty())
            Dialogs().Message("Отчёт не создан:\n" + error, "ОШИБКА", MsgIcon::Error);
        return;
    }
    if (HaveDisplay())
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(*path)));
}
