#include "BenchSupport.h"

#include "OEKGFilter.h"
#include "ProcessFile.h"
#include "RecordingWriter.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double ThreadCpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

bool WriteBenchRecording(const std::string& path, int64_t sectors, std::vector<int64_t>* rPeaks)
{
    ORecordingOptions options;
    options.ecg.seed = 24;
    ORecordingWriter writer(options);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    bool ok = true;
    for (int64_t done = 0; done < sectors; done += 1000) {
        const std::vector<uint8_t> block = writer.Sectors(std::min<int64_t>(1000, sectors - done));
        ok = ok && std::fwrite(block.data(), 1, block.size(), out) == block.size();
    }
    if (rPeaks)
        *rPeaks = writer.RPeaks();
    return std::fclose(out) == 0 && ok;
}

std::string WeekRecordingPath()
{
    const std::string path = std::string(BRENNA_BENCH_FOLDER) + "/неделя.экг";
    std::error_code error;
    if (std::filesystem::file_size(path, error) == static_cast<uintmax_t>(kBenchWeekSectors) * 512)
        return path;
    // Written under another name first: an interrupted run must not leave a
    // short file that a later one would take for the week.
    const std::string partial = path + ".part";
    if (!WriteBenchRecording(partial, kBenchWeekSectors)) {
        std::filesystem::remove(partial, error);
        return {};
    }
    std::filesystem::rename(partial, path, error);
    return error ? std::string() : path;
}

std::unique_ptr<OEcgFile> OpenAndProcess(const std::string& path)
{
    auto file = std::make_unique<OEcgFile>();
    auto filter = std::make_unique<OEKGFilter>();
    if (!file->OpenEcgFile(path, true))
        return nullptr;
    OProcessControl control;
    ProcessFile(*file, *filter, control);
    return file;
}
