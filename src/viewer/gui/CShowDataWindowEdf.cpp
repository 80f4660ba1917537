// "Экспорт EDF+ ...": a save dialog, then the EDF+ export on the worker
// thread under the wait dialog, then its message.
#include "CControlBar.h"
#include "CShowDataWindow.h"
#include "CWaitDialog.h"
#include "EcgCalibration.h"
#include "EcgFileName.h"
#include "EdfExport.h"
#include "ODialogs.h"
#include "StrFormat.h"

#include <algorithm>

std::optional<std::string> CShowDataWindow::AskSaveBesideRecording(const std::string& title,
                                                                  const std::string& suffix,
                                                                  const std::string& ext,
                                                                  std::vector<std::pair<std::string, std::string>> filters)
{
    // Offered in the recording's folder, under its name, so that what is
    // written from one recording stays together.
    const OPathParts parts = SplitPath(m_File.FilePath());
    FileDialogRequest request;
    request.title = title;
    request.folder = parts.folder;
    request.fileName = parts.name + suffix;
    request.defaultExt = ext;
    request.filters = std::move(filters);
    return Dialogs().ChooseSaveFile(request);
}

void CShowDataWindow::ExportEdfFile()
{
    if (PassRunning() || !m_File.IsOpen())
        return;
    const std::optional<std::string> path = AskSaveBesideRecording(
        "Экспорт записи в EDF+", ".edf", "edf", {{"EDF+ - файлы (*.edf)", "*.edf"}, {"Все файлы (*.*)", "*"}});
    if (!path)
        return;

    OEdfExportOptions options;
    options.unitsPerMillivolt = EcgCalibration::LoadUnitsPerMillivolt();
    options.detector = m_Filter->m_Detector; // the detector of the pass shown
    OEdfExportResult result;
    m_Control.cancel.store(0);
    m_Control.progress.store(0);
    const int32_t sectors = static_cast<int32_t>(std::min<int64_t>(m_File.SectorCount(), INT32_MAX));
    RunOnWorker([&] { result = ExportEdf(m_File, *path, options, m_Control); }, "Ждите, идет экспорт в EDF+",
                [this, path] {
                    return StrFormat("%s\nЗаписано %d кб", path->c_str(),
                                     m_Control.progress.load(std::memory_order_relaxed) / 2);
                },
                &m_Control.progress, &m_Control.cancel, sectors);

    const bool failed = result.status == OEdfExportResult::Failed;
    Dialogs().Message(result.message, failed ? "ОШИБКА ЭКСПОРТА" : "ЭКСПОРТ", failed ? MsgIcon::Error : MsgIcon::None);
}
