#pragma once
// A synthetic recording on disk, opened and processed as the analysis window
// does it, ready for an EDF+ export.
#include "OEKGFilter.h"
#include "OEcgFile.h"
#include "RecordingWriter.h"

#include <memory>
#include <string>

struct OProcessedRecording {
    std::string path;
    std::unique_ptr<OEcgFile> file = std::make_unique<OEcgFile>();
    std::unique_ptr<OEKGFilter> filter = std::make_unique<OEKGFilter>();
};

// Writes sectors of a recording to folder/name, opens and processes it.
OProcessedRecording MakeProcessedRecording(const std::string& folder, const std::string& name, int64_t sectors,
                                           const ORecordingOptions& options = {});

// A name the download gives when the date cache knew the start.
inline constexpr const char* kDatedName = "ЭКГ_2010_05_12, 14_30_05, 0x00010000.экг";
