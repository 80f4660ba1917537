#pragma once
// Export of the derived series beside the recording: " - частота пульса.txt",
// " - температура.txt", " - CCP.txt" and " - ускор.txt", tab-separated, "%f"
// numbers, CRLF line ends, no header; existing files are replaced, each only
// once its new one is complete (OutputFile.h).
// Messages go through Dialogs(). The accelerations are read from the file in
// chunks, whether it is mapped or not.
#include "OEcgFile.h"

#include <string>

// True when all four files were written.
bool ExportDerivedSeries(const OEcgFile& file);

// File name of one export: folder + name + ending.
std::string ExportFileName(const std::string& recordingPath, const char* ending);
