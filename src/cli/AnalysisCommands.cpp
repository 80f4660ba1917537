// brenna-cli analyse, params: the analysis window's processing pass and export
// on one recording file, and the stored filter parameters.
#include "CliCommand.h"
#include "CliDialogs.h"
#include "EcgTime.h"
#include "ExportSeries.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "StrFormat.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

void PrintSummary(const OEcgFile& file)
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
    std::printf("impulses: %lld\n", static_cast<long long>(impulses.Count()));
    std::printf("flagged impulses: %lld\n", static_cast<long long>(flagged));
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

bool WritePeaks(const OEcgFile& file, const std::string& path)
{
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out)
        return false;
    const auto& impulses = file.ImpulseInfo();
    for (int64_t i = 0; i < impulses.Count(); ++i)
        std::fprintf(out, "%d\t%u\n", impulses[i].Pos, static_cast<unsigned>(impulses[i].Flags));
    return std::fclose(out) == 0;
}

int RunAnalyse(const CliArgs& args)
{
    if (args.positional.size() != 1)
        return CliFail("usage: brenna-cli analyse FILE [--export] [--peaks OUT.txt]");
    CliDialogs dialogs(false);
    const std::string& path = args.positional[0];
    // Large objects (three 512 KiB delay lines) stay off the stack.
    auto file = std::make_unique<OEcgFile>();
    auto filter = std::make_unique<OEKGFilter>();
    if (!file->OpenEcgFile(path, IsEcgExtension(path)))
        return 1;
    OProcessControl control;
    ProcessFile(*file, *filter, control);
    PrintSummary(*file);
    if (const auto peaks = args.Option("peaks"); peaks && !WritePeaks(*file, *peaks))
        return CliFail("analyse: cannot write " + *peaks);
    if (args.Has("export") && !ExportDerivedSeries(*file))
        return 1;
    return 0;
}

void PrintParams(const OEKGFilterParams& params)
{
    for (const OParamInfo& p : kParamTable)
        std::printf("%s = %d\n", p.name, params.*p.field);
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
    for (const std::string& assignment : settings) {
        const size_t equals = assignment.find('=');
        std::string name = assignment.substr(0, equals);
        if (name.rfind("m_", 0) != 0)
            name = "m_" + name;
        const OParamInfo* info = nullptr;
        for (const OParamInfo& p : kParamTable)
            if (name == p.name)
                info = &p;
        char* end = nullptr;
        const std::string value = equals == std::string::npos ? "" : assignment.substr(equals + 1);
        const long number = std::strtol(value.c_str(), &end, 10);
        if (!info || value.empty() || *end != '\0') {
            std::cerr << "params: expected NAME=VALUE with NAME one of";
            for (const OParamInfo& p : kParamTable)
                std::cerr << ' ' << p.name;
            std::cerr << ", got '" << assignment << "'\n";
            return 2;
        }
        params.*info->field = static_cast<int32_t>(std::clamp<long>(number, INT32_MIN, INT32_MAX));
    }
    if (!settings.empty())
        params.SaveParametrs();
    params.LoadParametrs(); // shows the clamped values
    PrintParams(params);
    return 0;
}

CliRegistration analyseCommand{"analyse",
                               {"analyse FILE [--export] [--peaks OUT.txt]",
                                "processes a recording file with the stored filter parameters and prints a summary; "
                                "--export writes the four text files beside it, --peaks the R-peak sample indices "
                                "with their flags"},
                               RunAnalyse,
                               {"peaks"}};
CliRegistration paramsCommand{
    "params",
    {"params [--set NAME=VALUE ...] [--defaults]", "shows or changes the stored filter parameters"},
    RunParams,
    {"set"}};

} // namespace
