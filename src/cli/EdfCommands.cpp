// brenna-cli export-edf: a recording as an EDF+ file, with the impulses of a
// processing pass as beat marks.
#include "CliCommand.h"
#include "CliDialogs.h"
#include "DetectorKind.h"
#include "EcgCalibration.h"
#include "EdfExport.h"
#include "OEcgFile.h"
#include "OutputFile.h"
#include "ProcessFile.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

constexpr const char* kUsage =
    "usage: brenna-cli export-edf FILE.экг OUT.edf [--detector standard|precise] [--derived] [--patient TEXT] "
    "[--no-annotations]";

// Runs work on a thread and prints "stage: NN%" on standard error every
// second while it lasts, so a long file shows it is moving.
template <class Work> void WithProgress(const char* stage, const OProcessControl& control, int64_t total, Work work)
{
    bool printed = false;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    auto next = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (std::chrono::steady_clock::now() < next)
            continue;
        next += std::chrono::seconds(1);
        const int64_t at = control.progress.load(std::memory_order_relaxed);
        std::fprintf(stderr, "\r%s: %3d%%", stage, total > 0 ? int(at * 100 / total) : 100);
        printed = true;
    }
    worker.join();
    if (printed)
        std::fprintf(stderr, "\r%s: 100%%\n", stage);
}

int RunExportEdf(const CliArgs& args)
{
    if (args.positional.size() != 2) {
        std::fprintf(stderr, "%s\n", kUsage);
        return 2;
    }
    int32_t detector = -1;
    if (const auto name = args.Option("detector"); name && !ParseDetectorOption(*name, detector)) {
        std::fprintf(stderr, "export-edf: --detector must be standard or precise, got '%s'\n", name->c_str());
        return 2;
    }
    CliDialogs dialogs(false);
    const std::string& path = args.positional[0];
    auto file = std::make_unique<OEcgFile>();
    auto filter = std::make_unique<OEKGFilter>();
    filter->OverrideDetector(detector);
    if (!file->OpenEcgFile(path, IsEcgExtension(path)))
        return 1;

    OEdfExportOptions options;
    options.derived = args.Has("derived");
    options.annotations = !args.Has("no-annotations");
    options.patient = args.Option("patient").value_or("");
    options.unitsPerMillivolt = EcgCalibration::LoadUnitsPerMillivolt();

    OProcessControl control;
    WithProgress("analyse", control, file->SectorCount(), [&] {
        // The export computes CCP1 itself as it writes, instead of keeping
        // the pass's 40 MB of a week.
        OPassOutputs outputs;
        outputs.frequencies = false;
        ProcessFile(*file, *filter, control, outputs);
    });
    options.detector = filter->m_Detector;
    OEdfExportResult result;
    control.progress = 0;
    {
        const OPartialFileGuard partial(EdfPartialPath(args.positional[1])); // removed on Ctrl+C
        WithProgress("export-edf", control, file->SectorCount(),
                     [&] { result = ExportEdf(*file, args.positional[1], options, control); });
    }
    if (!result.Ok())
        return CliFail(result.message);
    std::printf("%s\n", result.message.c_str());
    std::printf("detector: %s\n", DetectorOptionName(options.detector));
    std::printf("annotation signals: %d\n", result.annotationSignals);
    return 0;
}

CliRegistration exportEdfCommand{"export-edf",
                                 {"export-edf FILE.экг OUT.edf [--detector standard|precise] [--derived] "
                                  "[--patient TEXT] [--no-annotations]",
                                  "processes a recording and writes it as EDF+ with its sensors and R-peak marks; "
                                  "--derived adds the filtered ECG and the pulse rate"},
                                 RunExportEdf,
                                 {"detector", "patient"}};

} // namespace
