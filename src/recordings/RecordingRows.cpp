#include "RecordingRows.h"

#include "RecordingFormat.h"
#include "StrFormat.h"

#include <cstdio>

RecordingRow FirstFreeRow(uint32_t firstFreeSector)
{
    RecordingRow row;
    row[0] = " ";
    row[1] = StrFormat("0x%x", firstFreeSector);
    return row;
}

RecordingRow RecordingEntryRow(int number, uint32_t first, uint32_t last, const std::string& startTime, uint32_t gap)
{
    // 64-bit so that a recording above 2 GiB still shows its true size.
    const uint64_t sectors = uint64_t(last) - first + 1;
    RecordingRow row;
    row[0] = StrFormat("%d", number);
    row[1] = StrFormat("0x%x", first);
    row[2] = StrFormat("0x%x", last);
    row[3] = StrFormat("%llu", static_cast<unsigned long long>(sectors * kSectorSize));
    row[4] = StrFormat("%0.1f", double(sectors) * kSecondsPerSector);
    row[5] = startTime;
    if (gap != 0)
        row[6] = StrFormat("пропуск 0x%x", gap);
    return row;
}

RecordingRow StopRow()
{
    RecordingRow row;
    row[0] = "стоп";
    return row;
}

RecordingRow IncompleteListRow(uint32_t unreadBelow)
{
    RecordingRow row;
    row[0] = "обрыв";
    row[6] = StrFormat("не прочитано: 0x%x..0x%x", kFirstRecordingSector, unreadBelow - 1);
    return row;
}

std::optional<DownloadRange> RowDownloadRange(const RecordingRow& row)
{
    unsigned start = 0;
    if (std::sscanf(row[1].c_str(), "%x", &start) != 1)
        return std::nullopt;
    unsigned last = start - 1;
    std::sscanf(row[2].c_str(), "%x", &last);
    DownloadRange range;
    range.start = start;
    range.total = uint32_t(last - start + 1);
    range.suffix = row[5];
    if (!range.suffix.empty())
        range.suffix += ", ";
    range.suffix += StrFormat("0x%08x", start);
    return range;
}

std::string DefaultRecordingFileName(const std::string& suffix)
{
    std::string name = "ЭКГ_" + suffix;
    for (char& c : name)
        if (c == ':' || c == '.')
            c = '_';
    return name;
}
