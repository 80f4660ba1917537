// EDF+ export of a synthetic 24-hour recording (360,000 sectors) with its
// R-peak marks, to a file on disk: wall and CPU time of the export, and how
// far its peak memory rises above what the processing pass left in use.
#include "BenchSupport.h"
#include "EdfExport.h"
#include "OConsole.h"
#include "OEcgFile.h"
#include "OSettings.h"
#include "ProcessFile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int64_t kSectors = kBenchDaySectors;

// A "Vm...:" line of /proc/self/status, in MB.
double StatusMb(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0)
            return std::atof(line.c_str() + std::strlen(field)) / 1024.0;
    return 0;
}

// Starts the peak (VmHWM) afresh at the current resident size.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace

int main()
{
    Console().SetOutput(-1);
    const std::string folder = (std::filesystem::temp_directory_path() / "brenna-bench-edf").string();
    std::filesystem::create_directories(folder);
    OSettings::SetStorageFolder(folder + "/settings"); // defaults
    const std::string path = folder + "/сутки.экг";
    const std::string out = folder + "/сутки.edf";
    if (!WriteBenchRecording(path, kSectors))
        return 1;

    const std::unique_ptr<OEcgFile> file = OpenAndProcess(path);
    if (!file)
        return 1;
    const double passPeakMb = StatusMb("VmHWM:");

    ResetPeak();
    OProcessControl control;
    const double before = StatusMb("VmRSS:");
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ThreadCpuSeconds();
    const OEdfExportResult result = ExportEdf(*file, out, {}, control);
    const double cpu = ThreadCpuSeconds() - cpuStart;
    const double wall = Seconds(start);
    if (!result.Ok()) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        return 1;
    }
    std::printf("edf_export_24h_s: %.3f s\n", wall);
    std::printf("edf_export_24h_cpu_s: %.3f s\n", cpu);
    std::printf("edf_export_peak_mb: %.1f MB\n", StatusMb("VmHWM:") - before);
    std::printf("analysis_pass_peak_mb: %.1f MB\n", passPeakMb);
    std::printf("edf_beat_marks_24h: %lld\n", static_cast<long long>(result.beatMarks));
    std::printf("edf_annotation_signals: %d\n", result.annotationSignals);
    std::printf("edf_file_mb: %.1f MB\n", std::filesystem::file_size(out) / 1048576.0);
    if (!std::getenv("BRENNA_BENCH_KEEP"))
        std::filesystem::remove_all(folder);
    return 0;
}
