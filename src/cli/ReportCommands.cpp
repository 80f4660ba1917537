// brenna-cli report: a recording processed with the chosen detector and its
// Holter report written as PDF, with the figures as JSON and the RR
// intervals as CSV on request.
#include "CliCommand.h"

#ifdef BRENNA_CLI_REPORT
#include "CliDialogs.h"
#include "DetectorKind.h"
#include "EcgCalibration.h"
#include "ProcessFile.h"
#include "ReportPdf.h"
#include "ReportSource.h"

#include <QGuiApplication>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>

namespace {

int RunReport(const CliArgs& args)
{
    const char* usage = "usage: brenna-cli report FILE.экг OUT.pdf [--json OUT.json] [--rr OUT.csv] "
                        "[--detector standard|precise]";
    if (args.positional.size() != 2)
        return CliFail(usage);
    int32_t detector = -1; // the stored choice
    if (const auto name = args.Option("detector"); name && !ParseDetectorOption(*name, detector))
        return CliFail("report: --detector takes standard or precise");
    CliDialogs dialogs(false);
    const std::string& path = args.positional[0];
    auto file = std::make_unique<OEcgFile>();
    auto filter = std::make_unique<OEKGFilter>();
    if (!file->OpenEcgFile(path, IsEcgExtension(path)))
        return 1;
    filter->OverrideDetector(detector); // for this run only
    OProcessControl pass;
    OPassOutputs outputs;
    outputs.frequencies = false; // the report shows no CCP1
    ProcessFile(*file, *filter, pass, outputs);
    OReportRequest request;
    request.pdf = args.positional[1];
    request.json = args.Option("json").value_or("");
    request.rrCsv = args.Option("rr").value_or("");
    request.detector = filter->m_Detector;
    request.unitsPerMillivolt = EcgCalibration::LoadUnitsPerMillivolt();
    OReportControl control;
    OReportInput input = ReportInputFromFile(*file, request.detector, request.unitsPerMillivolt);
    // The report needs none of the pass's arrays once it has its input (the
    // strips read through a descriptor of their own): they go before it is
    // built and drawn.
    file.reset();
    filter.reset();
    std::optional<OHolterReport> report = BuildHolterReport(std::move(input), control);
    std::string error;
    if (!report || !WriteHolterFiles(*report, request, control, error))
        return CliFail("report: " + error);
    for (const std::string& out : {request.pdf, request.json, request.rrCsv})
        if (!out.empty())
            std::cout << out << '\n';
    return 0;
}

QCoreApplication* MakeOffscreenGuiApplication(int& argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QGuiApplication(argc, argv);
}

CliRegistration reportCommand{"report",
                              {"report FILE.экг OUT.pdf [--json OUT.json] [--rr OUT.csv] [--detector "
                               "standard|precise]",
                               "processes a recording and writes its Holter report (heart rate, variability, "
                               "pauses, episodes, activity, temperature, ECG strips) as PDF; --json the report's "
                               "figures, --rr one line per RR interval (time s, RR ms, NN 1/0, flags of both beats)"},
                              &RunReport,
                              {"json", "rr", "detector"}};

const bool reportApplication = [] {
    CliCommands()["report"].makeApplication = &MakeOffscreenGuiApplication;
    return true;
}();

} // namespace
#endif
