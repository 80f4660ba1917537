#pragma once
// The date cache: one small text file per recording, named after its first
// sector, holding the recording's start time as a file time of local time
// (100 ns intervals since 1 January 1601) and the position written at the
// time ("%lld   %u"). The live view writes it, the recording list reads it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Where the cache lives: first the per-user data folder
// ($XDG_DATA_HOME/Kelvaro/Terravik_Dremlo/DATECACHE, by default under
// ~/.local/share), the only one written, then "DATECACHE" beside the
// executable, where older versions wrote it and which is still read.
std::vector<std::string> DateCacheFolders();
// Points the cache at other folders (tests); empty strings restore the defaults.
void SetDateCacheFolders(const std::string& userFolder, const std::string& exeFolder);

std::string DateCacheFileName(const std::string& folder, uint32_t firstSector);

// The start time stored for a recording; nothing for a missing file, an
// unreadable number or 0.
std::optional<int64_t> ReadDateCacheFile(const std::string& path);
std::optional<int64_t> LookUpStartTime(uint32_t firstSector);

// Writes the entry into the per-user folder, creating it when needed; false
// when that cannot be done (an installed program's own folder is not written).
bool WriteDateCache(uint32_t firstSector, int64_t fileTime, uint32_t position);

// "%04d.%02d.%02d, %02d:%02d:%02d"; empty for a time before 1601.
std::string FileTimeText(int64_t fileTime);
// The local time now as a file time.
int64_t LocalFileTimeNow();
