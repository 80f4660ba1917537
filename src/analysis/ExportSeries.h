#pragma once
// Export of the derived series beside the recording: " - частота пульса.txt",
// " - температура.txt", " - CCP.txt" and " - ускор.txt", tab-separated, "%f"
// numbers, CRLF line ends, no header; existing files are overwritten.
// Messages go through Dialogs(). The accelerations come from the mapped file;
// an unmapped file gets an empty " - ускор.txt" so no stale one stays behind.
#include "OEcgFile.h"

#include <string>

// True when all four files were written.
bool ExportDerivedSeries(const OEcgFile& file);

// File name of one export: folder + name + ending.
std::string ExportFileName(const std::string& recordingPath, const char* ending);
