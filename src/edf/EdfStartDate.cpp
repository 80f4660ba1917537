#include "EdfStartDate.h"

#include "DateCache.h"
#include "EcgFileName.h"
#include "EcgTime.h"
#include "SectorDecoders.h"

#include <cerrno>
#include <chrono>
#include <unistd.h>

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;

bool FirstSectorNumber(const OEcgFile& file, uint32_t& first)
{
    if (const uint8_t* sector = file.Sector(0)) {
        first = SectorU32(sector, 4);
        return true;
    }
    uint8_t header[8];
    ssize_t n;
    do
        n = ::pread(file.Descriptor(), header, sizeof header, 0);
    while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(sizeof header))
        return false;
    first = SectorU32(header, 4);
    return true;
}

} // namespace

ORecordingStart StartFromFileTime(int64_t fileTime)
{
    using namespace std::chrono;
    ORecordingStart start;
    const int64_t seconds = fileTime / kTicksPerSecond - kSecondsFrom1601To1970;
    const sys_seconds when{std::chrono::seconds{seconds}};
    const sys_days day = floor<days>(when);
    const year_month_day date{day};
    const hh_mm_ss<std::chrono::seconds> time{when - day};
    start.year = int(date.year());
    start.month = int(unsigned(date.month()));
    start.day = int(unsigned(date.day()));
    start.hours = int(time.hours().count());
    start.minutes = int(time.minutes().count());
    start.seconds = int(time.seconds().count());
    start.known = fileTime > 0 && start.year >= 1985 && start.year <= 2084;
    return start;
}

ORecordingStart EdfRecordingStart(const OEcgFile& file)
{
    ORecordingStart start = RecordingStartFromName(SplitPath(file.FilePath()).name);
    if (start.known && start.year >= 1985 && start.year <= 2084)
        return start;
    uint32_t first = 0;
    if (file.IsOpen() && FirstSectorNumber(file, first))
        if (const auto fileTime = LookUpStartTime(first))
            return StartFromFileTime(*fileTime);
    return {};
}
