#pragma once
// The rows of the recording list, as the list view and `brenna-cli list` show
// them, and what a download takes from a row.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Texts of the seven columns: "№", first sector, last sector, size, duration,
// start date, note.
using RecordingRow = std::array<std::string, 7>;

inline constexpr std::array<const char*, 7> kRecordingColumnTitles = {"№",
                                                                      " Первый сектор файла",
                                                                      " Последний сектор ",
                                                                      " Размер (байт) ",
                                                                      " Длительность ",
                                                                      " Дата начала записи ",
                                                                      " Примечание "};

RecordingRow FirstFreeRow(uint32_t firstFreeSector);
// gap = sectors between the recording's end and the next newer recording.
RecordingRow RecordingEntryRow(int number, uint32_t first, uint32_t last, const std::string& startTime, uint32_t gap);
RecordingRow StopRow();
// The last row of a list whose scan lost the device: the sectors below
// unreadBelow were not read (and are not free space).
RecordingRow IncompleteListRow(uint32_t unreadBelow);

// What a download of a row needs: start sector, sectors to receive (0 when the
// row has no last sector: unknown) and the suffix of the default file name.
struct DownloadRange {
    uint32_t start = 0;
    uint32_t total = 0;
    std::string suffix;
};
// Nothing when column 1 does not hold a hexadecimal number.
std::optional<DownloadRange> RowDownloadRange(const RecordingRow& row);

// "ЭКГ_" + suffix with every ':' and '.' replaced by '_' (no extension).
std::string DefaultRecordingFileName(const std::string& suffix);
