// "Экспорт EDF+ ...": a save dialog, then the EDF+ export on the worker
// thread under the wait dialog, then its message.
#include "CControlBar.h"
#include "CShowDataWindow.h"
#include "CWaitDialog.h"
#include "EcgCalibration.h"
#include "EcgFileName.h"
#include "EdfExport.h"
#include "ODialogs.h"

void CShowDataWindow::ExportEdfFile()
{
    if (PassRunning() || !m_File.IsOpen())
        return;
    const OPathParts parts = SplitPath(m_File.FilePath());
    FileDialogRequest request;
    request.title = "Экспорт записи в EDF+";
    request.folder = parts.folder;
    request.fileName = parts.name + ".edf";
    request.defaultExt = "edf";
    request.filters = {{"EDF+ - файлы (*.edf)", "*.edf"}, {"Все файлы (*.*)", "*"}};
    const std::optional<std::string> path = Dialogs().ChooseSaveFile(request);
    if (!path)
        return;

    OEdfExportOptions options;
    options.unitsPerMillivolt = EcgCalibration::LoadUnitsPerMillivolt();
    options.detector = m_Filter->m_Detector; // the detector of the pass shown
    OEdfExportResult result;

    // The worker runs the export in place of a pass; it only reads the results.
    PassFunction pass = std::move(m_Pass);
    m_Pass = [&](OEcgFile& file, OEKGFilter&, OProcessControl& control) {
        result = ExportEdf(file, *path, options, control);
    };
    CWaitDialog::Sources sources;
    sources.title = "Ждите, идет экспорт в EDF+";
    sources.filePath = *path;
    sources.sectorCount = static_cast<int32_t>(std::min<int64_t>(m_File.SectorCount(), INT32_MAX));
    sources.progress = &m_Control.progress;
    const int impulses = static_cast<int>(m_File.ImpulseInfo().Count());
    sources.impulseCount = [impulses] { return impulses; };
    sources.cancel = &m_Control.cancel;
    CWaitDialog dialog(this, sources);
    m_Notify = &dialog;
    m_Control.cancel.store(0);
    m_Control.progress.store(0);
    m_Worker->Request();
    dialog.exec();
    m_Notify = nullptr;
    m_Pass = std::move(pass);

    const bool failed = result.status == OEdfExportResult::Failed;
    Dialogs().Message(result.message, failed ? "ОШИБКА ЭКСПОРТА" : "ЭКСПОРТ", failed ? MsgIcon::Error : MsgIcon::None);
}
