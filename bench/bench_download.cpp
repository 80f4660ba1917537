// bench_download: the download path end to end over a pseudo-terminal, with
// brenna-sim as the device in a process of its own:
//   download_fast_sectors_per_s     unpaced stream through OComPort, the frame
//                                   checks and the file writer
//   download_cpu_us_per_sector      CPU time of this process (reader thread
//                                   included) per sector of that stream
//   download_paced_921600_fraction  sectors per second of a paced download at
//                                   921600 baud over the line rate (179 /s)
#include "OComPort.h"
#include "ODevice.h"
#include "ODownload.h"
#include "RecordingFile.h"
#include "RecordingFormat.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Sim {
    pid_t pid = -1;
    std::string port;
    ~Sim()
    {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

bool StartSim(Sim& sim, const std::string& card, bool fast)
{
    int out[2];
    if (::pipe(out) != 0)
        return false;
    sim.pid = ::fork();
    if (sim.pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        execl(BRENNA_SIM_PATH, "brenna-sim", "serve", card.c_str(), fast ? "--fast" : nullptr, nullptr);
        _exit(127);
    }
    ::close(out[1]);
    std::FILE* in = ::fdopen(out[0], "r");
    char line[512] = {};
    const bool ok = std::fgets(line, sizeof line, in) && std::string(line).rfind("PORT ", 0) == 0;
    std::fclose(in);
    if (ok) {
        sim.port = std::string(line + 5);
        sim.port.erase(sim.port.find_last_not_of("\r\n") + 1);
    }
    return ok;
}

struct Run {
    uint32_t sectors = 0;
    double seconds = 0; // from the first sector to the last
    double cpuSeconds = 0;
};

// Streams `total` sectors from `first` at 921600 baud into a file.
bool Download(const std::string& port, uint32_t first, uint32_t total, const std::string& path, Run& run)
{
    static OComPort com;
    if (!com.OpenPath(port, 57600))
        return false;
    ODevice device(com);
    device.m_FastSpeedSelectorPos = 3;
    ORecordingFile file;
    if (!file.Create(path) || !device.StartStream(first, kSectorSize))
        return false;
    ODownload download(com, file, total, TickCountMs());
    Clock::time_point firstAt{};
    double cpuAtFirst = 0;
    while (download.Drain() == ODownload::State::Running) {
        if (download.ReceivedSectors() > 0 && firstAt == Clock::time_point{}) {
            firstAt = Clock::now();
            cpuAtFirst = CpuSeconds();
        }
        com.WaitAvailable(kStreamFrameSize, 20);
    }
    const Clock::time_point end = Clock::now();
    run.cpuSeconds = CpuSeconds() - cpuAtFirst;
    run.sectors = download.ReceivedSectors();
    run.seconds = std::chrono::duration<double>(end - firstAt).count();
    file.Close();
    device.StopExchange();
    com.Close();
    return download.GetState() == ODownload::State::Finished;
}

} // namespace

int main()
{
    char folder[] = "/tmp/bench_download_XXXXXX";
    if (!::mkdtemp(folder))
        return 1;
    const std::string card = std::string(folder) + "/card.img";
    const std::string make = std::string(BRENNA_SIM_PATH) + " make-card " + card + " --size 64M --demo";
    if (std::system(make.c_str()) != 0)
        return 1;
    // The demo card's ten-minute recording: 2504 sectors from 0x10000.
    const uint32_t first = 0x10000, total = 2504;

    Run fast;
    {
        Sim sim;
        if (!StartSim(sim, card, true) || !Download(sim.port, first, total, std::string(folder) + "/fast.экг", fast))
            return 1;
    }
    Run paced;
    {
        Sim sim;
        if (!StartSim(sim, card, false) || !Download(sim.port, first, 900, std::string(folder) + "/paced.экг", paced))
            return 1;
    }
    const double lineRate = 921600.0 / 10 / kStreamFrameSize;
    std::printf("download_fast_sectors_per_s: %.0f sectors/s\n", (fast.sectors - 1) / fast.seconds);
    std::printf("download_cpu_us_per_sector: %.1f us\n", fast.cpuSeconds * 1e6 / (fast.sectors - 1));
    std::printf("download_paced_921600_fraction: %.3f\n", (paced.sectors - 1) / paced.seconds / lineRate);
    std::system((std::string("rm -rf ") + folder).c_str());
    return 0;
}
