// The Holter report of an already processed 24-hour recording (360,000
// sectors of the simulator's ECG): metrics, plots and PDF, and the PDF's size;
// then the same day with dense ectopy and events set by hand (every tenth
// beat V, every 25th S, a couplet every 5 minutes, a VT run every hour, 5
// minutes of AF every 2 hours), so that the ectopy and rhythm pages show what
// they cost at their fullest.
#include "BenchSupport.h"
#include "OConsole.h"
#include "OEcgFile.h"
#include "OSettings.h"
#include "ProcessFile.h"
#include "ReportPdf.h"
#include "ReportSource.h"

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
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

    std::vector<double> ectopy;
    for (int run = 0; run < kRuns; ++run) {
        OReportControl control;
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        OReportInput input = ReportInputFromFile(*file, 0, 0);
        for (size_t i = 0; i < input.beats.size(); ++i)
            input.beats[i].beatClass = i % 10 == 5 ? kBeatVentricular : i % 25 == 7 ? kBeatSupra : kBeatNormal;
        ORhythmSummary rhythm;
        const auto add = [&](ORhythmKind kind, double startS, double lengthS, int beats, double bpm) {
            rhythm.events.push_back(
                {kind, std::llround(startS * 976.5625), std::llround((startS + lengthS) * 976.5625), beats, bpm});
        };
        for (double t = 60; t < 86400; t += 300)
            add(ORhythmKind::Couplet, t, 0.5, 2, 0);
        for (double t = 1800; t < 86400; t += 3600)
            add(ORhythmKind::VT, t, 3, 6, 120 + t / 3600);
        for (double t = 3000; t < 86400; t += 7200) {
            add(ORhythmKind::AF, t, 300, 400, 80);
            rhythm.afSeconds += 300;
        }
        std::sort(rhythm.events.begin(), rhythm.events.end(),
                  [](const ORhythmEvent& a, const ORhythmEvent& b) { return a.startSample < b.startSample; });
        rhythm.analysedSeconds = 86400;
        input.rhythm = rhythm;
        const auto report = BuildHolterReport(std::move(input), control);
        if (!report || !WriteHolterPdf(*report, request.pdf, control, error)) {
            std::fprintf(stderr, "report with ectopy failed: %s\n", error.c_str());
            return 1;
        }
        ectopy.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ectopy.begin(), ectopy.end());
    std::printf("report_24h_ectopy_s: %.3f s\n", ectopy[kRuns / 2]);
    if (std::getenv("BRENNA_BENCH_KEEP"))
        std::printf("report_pdf: %s\n", request.pdf.c_str());
    else
        std::filesystem::remove_all(folder);
    return 0;
}
