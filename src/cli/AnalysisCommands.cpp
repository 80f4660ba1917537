// brenna-cli analyse, params: the analysis window's processing pass and export
// on one recording file, and the stored filter parameters.
#include "BeatTables.h"
#include "CliCommand.h"
#include "CliDialogs.h"
#include "DetectorKind.h"
#include "EcgCalibration.h"
#include "EcgTime.h"
#include "ExportSeries.h"
#include "OEcgFile.h"
#include "OutputFile.h"
#include "ProcessFile.h"
#include "RecordingCheck.h"
#include "RhythmEvents.h"
#include "StrFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>

namespace {

constexpr const char* kAnalyseUsage =
    "usage: brenna-cli analyse FILE [--detector standard|precise] [--export] [--peaks OUT.txt] [--beats OUT.tsv] "
    "[--events OUT.tsv]";

void PrintSummary(const OEcgFile& file, int32_t detector)
{
    const auto& impulses = file.ImpulseInfo();
    int64_t flagged = 0;
    for (int64_t i = 0; i < impulses.Count(); ++i)
        flagged += impulses[i].Flags != 0;
    double rateSum = 0;
    int64_t rated = 0;
    for (int64_t i = 0; i < file.Puls().Count(); ++i)
        if (file.Puls()[i].y > 0) {
            rateSum += file.Puls()[i].y;
            ++rated;
        }

    std::printf("file: %s\n", file.FilePath().c_str());
    std::printf("sectors: %lld\n", static_cast<long long>(file.SectorCount()));
    std::printf("duration: %.3f s\n", file.SectorCount() * kSectorDuration);
    std::printf("start time: %s\n", file.StartOfDay().Text().c_str());
    std::printf("detector: %s (%s)\n", DetectorOptionName(detector), DetectorTitle(detector));
    std::printf("impulses: %lld\n", static_cast<long long>(impulses.Count()));
    std::printf("flagged impulses: %lld\n", static_cast<long long>(flagged));
    const OBeatClassCounts classes = CountBeatClasses(impulses.Data(), impulses.Count());
    std::printf("beat classes:");
    for (char c : kBeatClasses)
        std::printf(" %c %lld", c, static_cast<long long>(classes.Of(c)));
    std::printf(", unclassified %lld\n", static_cast<long long>(classes.unclassified));
    std::printf("pulse-rate points: %lld\n", static_cast<long long>(file.Puls().Count()));
    if (rated > 0)
        std::printf("mean pulse rate: %.1f bpm\n", rateSum / rated);
    else
        std::printf("mean pulse rate: -\n");
    if (file.Thermo().Count() > 0) {
        double low = file.Thermo()[0].y, high = low;
        for (int64_t i = 1; i < file.Thermo().Count(); ++i) {
            low = std::min(low, file.Thermo()[i].y);
            high = std::max(high, file.Thermo()[i].y);
        }
        std::printf("temperature: %.2f .. %.2f °C\n", low, high);
    } else {
        std::printf("temperature: -\n");
    }
}

// Writes text to path through its partial file (OutputFile.h); false with
// the system's reason when it cannot.
bool WriteTextFile(const std::string& path, const std::string& text, std::string& error)
{
    OOutputFile out(path);
    if (out.Write(text) && out.Commit())
        return true;
    error = std::strerror(out.Error());
    return false;
}

// One line per impulse, written a block of impulses at a time (the lines do
// not depend on each other), so that a week's list is never whole in memory.
bool WriteImpulseLines(const OEcgFile& file, const std::string& path,
                       const std::function<std::string(const OImpulse*, int64_t)>& lines, std::string& error)
{
    constexpr int64_t kBlock = 8192;
    const auto& impulses = file.ImpulseInfo();
    OOutputFile out(path);
    for (int64_t i = 0; i < impulses.Count() && out.IsOpen(); i += kBlock)
        out.Write(lines(impulses.Data() + i, std::min(kBlock, impulses.Count() - i)));
    if (out.Commit())
        return true;
    error = std::strerror(out.Error());
    return false;
}

std::string PeakLines(const OImpulse* impulses, int64_t count)
{
    std::string text;
    for (int64_t i = 0; i < count; ++i)
        text += std::to_string(impulses[i].Pos) + '\t' + std::to_string(unsigned(impulses[i].Flags)) + '\n';
    return text;
}

int RunAnalyse(const CliArgs& args)
{
    if (args.positional.size() != 1)
        return CliFail(kAnalyseUsage);
    CliDialogs dialogs(false);
    const std::string& path = args.positional[0];
    // Large objects (three 512 KiB delay lines) stay off the stack.
    auto file = std::make_unique<OEcgFile>();
    auto filter = std::make_unique<OEKGFilter>();
    if (const auto name = args.Option("detector")) {
        int32_t detector = kDetectorStandard;
        if (!ParseDetectorOption(*name, detector))
            return CliFail("analyse: --detector expects standard or precise, got '" + *name + "'");
        filter->OverrideDetector(detector);
    }
    if (!file->OpenEcgFile(path, IsEcgExtension(path)))
        return 1;
    OProcessControl control;
    // The CCP1 frequencies (40 MB of a week) only for the text export.
    OPassOutputs outputs;
    outputs.frequencies = args.Has("export");
    ProcessFile(*file, *filter, control, outputs);
    // The pass checked the sectors it read; only a pass that stopped short
    // leaves the rest to a reading of its own.
    const auto& passCheck = file->PassCheck();
    const ORecordingCheck check = passCheck && passCheck->sectors == file->SectorCount()
                                      ? *passCheck
                                      : CheckRecordingSectors(*file);
    ReportRecordingCheck(check);
    PrintSummary(*file, filter->m_Detector);
    for (const std::string& line : check.CliLines())
        std::printf("%s\n", line.c_str());
    std::string error;
    if (const auto peaks = args.Option("peaks"); peaks && !WriteImpulseLines(*file, *peaks, PeakLines, error))
        return CliFail("analyse: cannot write " + *peaks);
    if (const auto beats = args.Option("beats"); beats && !WriteImpulseLines(*file, *beats, BeatTableText, error))
        return CliFail("analyse: cannot write the beat list " + *beats + ": " + error);
    if (const auto events = args.Option("events")) {
        const auto& impulses = file->ImpulseInfo();
        const ORhythmSummary rhythm =
            FindRhythmEvents(impulses.Data(), impulses.Count(), file->SectorCount() * kSamplesPerSector);
        if (!WriteTextFile(*events, EventTableText(rhythm), error))
            return CliFail("analyse: cannot write the event list " + *events + ": " + error);
    }
    if (args.Has("export") && !ExportDerivedSeries(*file))
        return 1;
    return 0;
}

void PrintParams(const OEKGFilterParams& params)
{
    for (const OParamInfo& p : kParamTable)
        std::printf("%s = %d\n", p.name, params.*p.field);
    std::printf("%s = %d (%s)\n", OEKGFilterParams::kDetectorKey, params.m_Detector, DetectorTitle(params.m_Detector));
    std::printf("%s = %s\n", EcgCalibration::kKey, StrFormat("%.10g", EcgCalibration::LoadUnitsPerMillivolt()).c_str());
}

// A whole number (or, for the calibration, any number) after NAME=.
bool ParseNumber(const std::string& text, bool fractional, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = fractional ? std::strtod(text.c_str(), &end) : double(std::strtoll(text.c_str(), &end, 10));
    return *end == '\0';
}

int RunParams(const CliArgs& args)
{
    CliDialogs dialogs(false);
    OEKGFilterParams params;
    params.LoadParametrs();
    if (args.Has("defaults")) {
        params.SetDefaults();
        params.SaveParametrs();
    }
    const auto settings = args.Options("set");
    std::optional<double> calibration;
    for (const std::string& assignment : settings) {
        const size_t equals = assignment.find('=');
        std::string name = assignment.substr(0, equals);
        const std::string text = equals == std::string::npos ? "" : assignment.substr(equals + 1);
        if (name == OEKGFilterParams::kDetectorKey || name == EcgCalibration::kKey) {
            const bool isDetector = name == OEKGFilterParams::kDetectorKey;
            double number = 0;
            if (!ParseNumber(text, !isDetector, number)) {
                std::cerr << "params: " << name << " expects a number, got '" << assignment << "'\n";
                return 2;
            }
            if (isDetector)
                params.m_Detector = static_cast<int32_t>(std::clamp<double>(number, INT32_MIN, INT32_MAX));
            else
                calibration = number;
            continue;
        }
        if (name.rfind("m_", 0) != 0)
            name = "m_" + name;
        const OParamInfo* info = nullptr;
        for (const OParamInfo& p : kParamTable)
            if (name == p.name)
                info = &p;
        char* end = nullptr;
        const long number = std::strtol(text.c_str(), &end, 10);
        if (!info || text.empty() || *end != '\0') {
            std::cerr << "params: expected NAME=VALUE with NAME one of";
            for (const OParamInfo& p : kParamTable)
                std::cerr << ' ' << p.name;
            std::cerr << ' ' << OEKGFilterParams::kDetectorKey << ' ' << EcgCalibration::kKey;
            std::cerr << ", got '" << assignment << "'\n";
            return 2;
        }
        params.*info->field = static_cast<int32_t>(std::clamp<long>(number, INT32_MIN, INT32_MAX));
    }
    if (!settings.empty())
        params.SaveParametrs();
    if (calibration)
        EcgCalibration::SaveUnitsPerMillivolt(*calibration);
    params.LoadParametrs(); // shows the clamped values
    PrintParams(params);
    return 0;
}

CliRegistration analyseCommand{"analyse",
                               {"analyse FILE [--detector standard|precise] [--export] [--peaks OUT.txt] "
                                "[--beats OUT.tsv] [--events OUT.tsv]",
                                "processes a recording file with the stored filter parameters and prints a summary "
                                "with the beats per class; --detector chooses the R-peak detector for this run only, "
                                "--export writes the four text files beside it, --peaks the R-peak sample indices "
                                "with their flags, --beats one line per beat: position<TAB>flags<TAB>class (position "
                                "in samples of the file, class N, S, V, F or Q, '-' when unclassified), --events one "
                                "line per rhythm event: KIND<TAB>start_s<TAB>end_s<TAB>beats<TAB>mean_bpm (KIND one "
                                "of AF VT COUPLET BIGEMINY TRIGEMINY SVT PAUSE BRADY TACHY, times in seconds from "
                                "the file's first sample)"},
                               RunAnalyse,
                               {"peaks", "detector", "beats", "events"}};
CliRegistration paramsCommand{
    "params",
    {"params [--set NAME=VALUE ...] [--defaults]",
     "shows or changes the stored filter parameters, the detector (Detector=0 standard, 1 precise) and the "
     "calibration (EcgUnitsPerMillivolt, device units per millivolt, 0 = not calibrated)"},
    RunParams,
    {"set"}};

} // namespace
