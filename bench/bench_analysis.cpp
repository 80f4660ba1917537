// Speed of the processing pass on a synthetic 24-hour recording (360,000
// sectors, 84.2 million samples) with the default parameters; the wall time
// and peak memory of the command line on it (`analyse --detector precise`,
// and `analyse --export`) and on the week-long recording (`analyse`,
// `report` and `export-edf`, each a child process whose ru_maxrss is read);
// and the cost of the file check that reads every sector's header, from a
// cold and a warm page cache.
#include "BenchSupport.h"
#include "EcgTime.h"
#include "OEcgFile.h"
#include "OConsole.h"
#include "OSettings.h"
#include "ProcessFile.h"
#include "RecordingCheck.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int64_t kSectors = kBenchDaySectors;
constexpr int kRuns = 3;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Detected R-peaks against the true ones within 150 ms, each true one
// matched once.
void PrintDetection(const OEcgFile& file, const std::vector<int64_t>& truth)
{
    const int64_t tolerance = 146;
    std::vector<bool> used(truth.size(), false);
    int64_t hits = 0, extra = 0;
    for (int64_t i = 0; i < file.ImpulseInfo().Count(); ++i) {
        const int64_t pos = file.ImpulseInfo()[i].Pos;
        auto it = std::lower_bound(truth.begin(), truth.end(), pos - tolerance);
        while (it != truth.end() && *it <= pos + tolerance && used[size_t(it - truth.begin())])
            ++it;
        if (it != truth.end() && *it <= pos + tolerance) {
            used[size_t(it - truth.begin())] = true;
            ++hits;
        } else {
            ++extra;
        }
    }
    std::printf("detect_24h_sensitivity: %.4f %%\n", 100.0 * hits / double(truth.size()));
    std::printf("detect_24h_predictivity: %.4f %%\n", 100.0 * hits / double(hits + extra));
}

struct OCommandRun {
    double wall = 0, cpu = 0, peakMb = 0;
    bool ok = false;
};

// Runs brenna-cli with the arguments as a child process, its output thrown
// away: wall time, CPU time and the child's peak resident memory (ru_maxrss,
// which counts the file's mapped pages it touched as well as its own).
OCommandRun RunCommandLine(const std::vector<std::string>& arguments, const std::string& settings)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("brenna-cli"));
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("XDG_CONFIG_HOME", settings.c_str(), 1);
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, 1);
        ::dup2(devNull, 2);
        ::execv(BRENNA_CLI_PATH, argv.data());
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    OCommandRun run;
    run.wall = Seconds(start);
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    run.peakMb = usage.ru_maxrss / 1024.0;
    if (!run.ok)
        std::fprintf(stderr, "brenna-cli %s failed\n", arguments.front().c_str());
    return run;
}

// The median wall and CPU time of `runs` runs of the command line, each a
// fresh process, and the largest peak memory; false when a run failed.
bool TimeCommandLine(const char* name, const std::vector<std::string>& arguments, const std::string& settings,
                     int runs, bool cpu = false)
{
    std::vector<double> walls, cpus;
    double peakMb = 0;
    for (int i = 0; i < runs; ++i) {
        const OCommandRun run = RunCommandLine(arguments, settings);
        if (!run.ok)
            return false;
        walls.push_back(run.wall);
        cpus.push_back(run.cpu);
        peakMb = std::max(peakMb, run.peakMb);
    }
    std::printf("%s_wall_s: %.3f s\n", name, Median(walls));
    if (cpu)
        std::printf("%s_cpu_s: %.3f s\n", name, Median(cpus));
    std::printf("%s_peak_mb: %.1f MB\n", name, peakMb);
    return true;
}

// The peak memory alone, of one run.
bool PeakOfCommandLine(const char* name, const std::vector<std::string>& arguments, const std::string& settings)
{
    const OCommandRun run = RunCommandLine(arguments, settings);
    if (run.ok)
        std::printf("%s_peak_mb: %.1f MB\n", name, run.peakMb);
    return run.ok;
}

// The whole command line on the day and on the week: analyse as a user runs
// it with the precise detector (goals: a day in 0.5 s; under 100 MB for the
// week), the same with the four export files (the figures before the
// precise detector was the measure), and the report and EDF+ export of the
// week (each under 100 MB).
bool TimeCommandLines(const std::string& day, const std::string& folder)
{
    const std::string settings = folder + "/settings";
    bool ok = TimeCommandLine("analyse_24h", {"analyse", day, "--detector", "precise"}, settings, kRuns) &&
              TimeCommandLine("analyse_export_24h", {"analyse", day, "--export"}, settings, kRuns, true);
    const std::string week = WeekRecordingPath();
    if (week.empty()) {
        std::fprintf(stderr, "cannot write the week-long recording\n");
        return false;
    }
    ok = ok && TimeCommandLine("analyse_7d", {"analyse", week, "--detector", "precise"}, settings, 1) &&
         PeakOfCommandLine("report_7d", {"report", week, folder + "/неделя.pdf", "--detector", "precise"}, settings) &&
         PeakOfCommandLine("edf_7d", {"export-edf", week, folder + "/неделя.edf", "--detector", "precise"}, settings);
    return ok;
}

// Drops the file's pages from the page cache (written back first, since
// dirty pages stay), as after a reboot or when the file comes from a card
// reader: the next reads go to the disk.
bool DropFromCache(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool dropped = ::fdatasync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return dropped;
}

// CheckRecordingSectors touches one header in every sector, so every page of
// the file: from a cold cache it costs the read of the whole file. The
// median of three runs each way.
void TimeFileCheck(const std::string& path)
{
    std::vector<double> cold, warm;
    for (int run = 0; run < kRuns; ++run) {
        for (const bool dropCache : {true, false}) {
            if (dropCache && !DropFromCache(path)) {
                std::fprintf(stderr, "cannot drop the file from the page cache\n");
                return;
            }
            OEcgFile file;
            if (!file.OpenEcgFile(path, true))
                return;
            const auto start = std::chrono::steady_clock::now();
            const ORecordingCheck check = CheckRecordingSectors(file);
            (dropCache ? cold : warm).push_back(Seconds(start) * 1000);
            if (check.sectors != kSectors)
                std::fprintf(stderr, "file check saw %lld sectors\n", static_cast<long long>(check.sectors));
        }
    }
    std::printf("file_check_24h_cold_ms: %.1f ms\n", Median(cold));
    std::printf("file_check_24h_warm_ms: %.1f ms\n", Median(warm));
}

} // namespace

int main()
{
    Console().SetOutput(-1);
    const std::string folder = (std::filesystem::temp_directory_path() / "brenna-bench-analysis").string();
    std::filesystem::create_directories(folder);
    OSettings::SetStorageFolder(folder + "/settings"); // defaults
    const std::string path = folder + "/сутки.экг";

    auto start = std::chrono::steady_clock::now();
    std::vector<int64_t> truth;
    if (!WriteBenchRecording(path, kSectors, &truth))
        return 1;
    std::printf("generate_24h_s: %.3f s\n", Seconds(start));
    std::printf("file_mb: %.1f MB\n", kSectors * 512 / 1048576.0);
    TimeFileCheck(path);

    // Three passes, each opening the file afresh with new arrays, so every
    // pass pays for its own page faults. The first one also pays for the
    // virtual machine's first touch of memory the guest never used before
    // (host-side faults inside the kernel's page clearing); it is reported on
    // its own, and the median stands for the pass.
    std::vector<double> cpuTimes, wallTimes;
    for (int run = 0; run < kRuns; ++run) {
        auto file = std::make_unique<OEcgFile>();
        auto filter = std::make_unique<OEKGFilter>();
        if (!file->OpenEcgFile(path, true))
            return 1;
        OProcessControl control;
        start = std::chrono::steady_clock::now();
        const double cpuStart = ThreadCpuSeconds();
        ProcessFile(*file, *filter, control);
        cpuTimes.push_back(ThreadCpuSeconds() - cpuStart);
        wallTimes.push_back(Seconds(start));
        if (run == 0) {
            std::printf("impulses_24h: %lld\n", static_cast<long long>(file->ImpulseInfo().Count()));
            PrintDetection(*file, truth);
        }
    }
    std::printf("process_first_cpu_s: %.3f s\n", cpuTimes.front());
    const double cpu = Median(cpuTimes);
    std::printf("process_24h_wall_s: %.3f s\n", Median(wallTimes));
    std::printf("process_24h_cpu_s: %.3f s\n", cpu);
    // Per CPU second, so that other load on the machine does not count.
    std::printf("process_samples_per_s: %.0f samples/s\n", kSectors * kSamplesPerSector / cpu);

    const bool ran = TimeCommandLines(path, folder);
    if (!std::getenv("BRENNA_BENCH_KEEP")) // kept for profiling the command line by hand
        std::filesystem::remove_all(folder);
    return ran ? 0 : 1;
}
