#include "ReportPdf.h"

#include "EcgFileName.h"
#include "OutputFile.h"
#include "ReportFiles.h"
#include "ReportPages.h"
#include "ReportSource.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

bool WriteHolterPdf(const OHolterReport& report, const std::string& path, OReportControl& control, std::string& error)
{
    // Drawn into the partial file and renamed once complete (OutputFile.h):
    // a cancel or a failure leaves no PDF behind.
    OOutputFile out(path);
    QFile device;
    if (!out.IsOpen() || !device.open(out.Stream(), QIODevice::WriteOnly)) {
        error = "не удалось создать " + path;
        return false;
    }
    {
        QPdfWriter writer(&device);
        if (!writer.setPageSize(QPageSize(QPageSize::A4)) ||
            !writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter)) {
            error = "не удалось задать формат A4";
            return false;
        }
        writer.setResolution(300);
        writer.setTitle(QStringLiteral("Холтеровское мониторирование ЭКГ — ") +
                        QString::fromStdString(SplitPath(report.info.filePath).name));
        writer.setCreator(QStringLiteral("Brenna"));
        OReportCanvas canvas(writer, QString::fromStdString(SplitPath(report.info.filePath).name));
        if (!canvas.Painter().isActive()) {
            error = "не удалось создать " + path;
            return false;
        }
        using Page = void (*)(OReportCanvas&, const OHolterReport&);
        const Page pages[] = {DrawSummaryPage, DrawTrendsPage, DrawVariabilityPage, DrawHourlyPages,
                              DrawEventPages,  DrawEctopyPage, DrawRhythmPages,     DrawDefinitionsPage};
        int done = 0;
        for (Page page : pages) {
            if (control.Cancelled())
                break;
            page(canvas, report);
            control.Progress(800 + 200 * ++done / static_cast<int>(std::size(pages)));
        }
        canvas.Painter().end();
    }
    if (control.Cancelled()) {
        error.clear();
        return false;
    }
    const bool written = device.flush() && device.error() == QFileDevice::NoError &&
                         (device.isSequential() || device.size() > 0);
    device.close();
    if (!written || !out.Commit()) {
        error = "не удалось записать " + path;
        return false;
    }
    return true;
}

bool WriteHolterReport(const OEcgFile& file, const OReportRequest& request, OReportControl& control, std::string& error)
{
    error.clear();
    std::optional<OHolterReport> report =
        BuildHolterReport(ReportInputFromFile(file, request.detector, request.unitsPerMillivolt), control);
    return report && WriteHolterFiles(*report, request, control, error);
}

bool WriteHolterFiles(const OHolterReport& report, const OReportRequest& request, OReportControl& control,
                      std::string& error)
{
    error.clear();
    if (!request.json.empty() && !WriteReportJson(report, request.json, error))
        return false;
    if (!request.rrCsv.empty() && !WriteRrCsv(report, request.rrCsv, error))
        return false;
    return request.pdf.empty() || WriteHolterPdf(report, request.pdf, control, error);
}
