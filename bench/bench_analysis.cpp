// Speed of the processing pass on a synthetic 24-hour recording (360,000
// sectors, 84.2 million samples) with the default parameters, the wall
// time and peak memory of `brenna-cli analyse --export` on it, and the cost of
// the file check that reads every sector's header, from a cold and a warm
// page cache.
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

// Runs the command line on the file; wall time, CPU time and the child's
// peak RSS.
OCommandRun RunCommandLine(const std::string& path, const std::string& settings)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("XDG_CONFIG_HOME", settings.c_str(), 1);
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, 1);
        ::dup2(devNull, 2);
        ::execl(BRENNA_CLI_PATH, "brenna-cli", "analyse", path.c_str(), "--export", static_cast<char*>(nullptr));
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
    return run;
}

// The median of three runs of the command line, each a fresh process.
void TimeCommandLine(const std::string& path, const std::string& settings)
{
    std::vector<double> walls, cpus;
    double peakMb = 0;
    for (int i = 0; i < kRuns; ++i) {
        const OCommandRun run = RunCommandLine(path, settings);
        if (!run.ok) {
            std::fprintf(stderr, "brenna-cli analyse failed\n");
            return;
        }
        walls.push_back(run.wall);
        cpus.push_back(run.cpu);
        peakMb = std::max(peakMb, run.peakMb);
    }
    std::printf("analyse_24h_wall_s: %.3f s\n", Median(walls));
    std::printf("analyse_24h_cpu_s: %.3f s\n", Median(cpus));
    std::printf("analyse_24h_peak_mb: %.1f MB\n", peakMb);
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

    TimeCommandLine(path, folder + "/settings");
    if (!std::getenv("BRENNA_BENCH_KEEP")) // kept for profiling the command line by hand
        std::filesystem::remove_all(folder);
    return 0;
}
