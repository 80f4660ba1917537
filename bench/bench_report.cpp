// The Holter report of an already processed 24-hour recording (360,000
// sectors of the simulator's ECG): metrics, plots and PDF, and the PDF's size.
#include "BenchSupport.h"
#include "OConsole.h"
#include "OEcgFile.h"
#include "OSettings.h"
#include "ProcessFile.h"
#include "ReportPdf.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

constexpr int64_t kSectors = kBenchDaySectors;
constexpr int kRuns = 3;

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    Console().SetOutput(-1);
    const std::string folder = (std::filesystem::temp_directory_path() / "brenna-bench-report").string();
    std::filesystem::create_directories(folder);
    OSettings::SetStorageFolder(folder + "/settings");
    const std::string path = folder + "/ЭКГ_2026_03_01, 08_00_00, 0x00010000.экг";
    if (!WriteBenchRecording(path, kSectors))
        return 1;

    const std::unique_ptr<OEcgFile> file = OpenAndProcess(path);
    if (!file)
        return 1;

    std::vector<double> seconds;
    OReportRequest request;
    request.pdf = folder + "/report.pdf";
    for (int run = 0; run < kRuns; ++run) {
        OReportControl control;
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        if (!WriteHolterReport(*file, request, control, error)) {
            std::fprintf(stderr, "report failed: %s\n", error.c_str());
            return 1;
        }
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("report_24h_s: %.3f s\n", seconds[kRuns / 2]);
    std::printf("report_pdf_mb: %.3f MB\n", std::filesystem::file_size(request.pdf) / 1048576.0);
    if (std::getenv("BRENNA_BENCH_KEEP"))
        std::printf("report_pdf: %s\n", request.pdf.c_str());
    else
        std::filesystem::remove_all(folder);
    return 0;
}
