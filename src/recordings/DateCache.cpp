#include "DateCache.h"

#include "ExeFolder.h"
#include "StrFormat.h"

#include <QStandardPaths>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex g_FoldersMutex;
std::string g_UserFolder;
std::string g_ExeFolder;

constexpr int64_t kTicksPerSecond = 10000000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kUnixEpochSeconds = 11644473600LL;

struct CivilDate {
    int year, month, day;
};

// Days since 1970-01-01 to a proleptic Gregorian date (H. Hinnant's method).
CivilDate CivilFromDays(int64_t z)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    return {int(yoe + era * 400 + (m <= 2)), int(m), int(d)};
}

bool FolderWritable(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error) && ::access(folder.c_str(), W_OK) == 0;
}

} // namespace

std::vector<std::string> DateCacheFolders()
{
    std::lock_guard lock(g_FoldersMutex);
    std::string user = g_UserFolder;
    if (user.empty())
        user = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() +
               "/Kelvaro/Terravik_Dremlo/DATECACHE";
    std::string exe = g_ExeFolder.empty() ? ExeFolder() + "/DATECACHE" : g_ExeFolder;
    return {user, exe};
}

void SetDateCacheFolders(const std::string& userFolder, const std::string& exeFolder)
{
    std::lock_guard lock(g_FoldersMutex);
    g_UserFolder = userFolder;
    g_ExeFolder = exeFolder;
}

std::string DateCacheFileName(const std::string& folder, uint32_t firstSector)
{
    return StrFormat("%s/Данные_на_0x%08x.txt", folder.c_str(), firstSector);
}

std::optional<int64_t> ReadDateCacheFile(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return std::nullopt;
    long long value = 0;
    const int read = std::fscanf(file, "%lld", &value);
    std::fclose(file);
    if (read != 1 || value == 0)
        return std::nullopt;
    return value;
}

std::optional<int64_t> LookUpStartTime(uint32_t firstSector)
{
    for (const std::string& folder : DateCacheFolders())
        if (auto value = ReadDateCacheFile(DateCacheFileName(folder, firstSector)))
            return value;
    return std::nullopt;
}

bool WriteDateCache(uint32_t firstSector, int64_t fileTime, uint32_t position)
{
    const std::string folder = DateCacheFolders().front();
    if (!FolderWritable(folder))
        return false;
    std::FILE* file = std::fopen(DateCacheFileName(folder, firstSector).c_str(), "w");
    if (!file)
        return false;
    const bool ok = std::fprintf(file, "%lld   %u", static_cast<long long>(fileTime), position) > 0;
    return std::fclose(file) == 0 && ok;
}

std::string FileTimeText(int64_t fileTime)
{
    if (fileTime < 0)
        return {};
    const int64_t seconds = fileTime / kTicksPerSecond - kUnixEpochSeconds;
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const CivilDate date = CivilFromDays(days);
    return StrFormat("%04d.%02d.%02d, %02d:%02d:%02d", date.year, date.month, date.day, int(rest / 3600),
                     int(rest / 60 % 60), int(rest % 60));
}

int64_t LocalFileTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // The local wall clock counted as if it were UTC: no time-zone conversion.
    const int64_t localSeconds = int64_t(now) + local.tm_gmtoff;
    return (localSeconds + kUnixEpochSeconds) * kTicksPerSecond;
}
