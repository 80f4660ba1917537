// Writes a processed two-minute recording as EDF+ for the independent
// reader's check: edf_sample_writer FOLDER -> FOLDER/sample.edf (calibrated at
// 1000 units per millivolt), and prints the number of impulses.
#include "EdfExport.h"
#include "EdfTestRecording.h"
#include "OSettings.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    OSettings::SetStorageFolder(std::string(argv[1]) + "/settings");
    OProcessedRecording r = MakeProcessedRecording(argv[1], kDatedName, 501);
    OProcessControl control;
    OEdfExportOptions options;
    options.unitsPerMillivolt = 1000;
    const OEdfExportResult result = ExportEdf(*r.file, std::string(argv[1]) + "/sample.edf", options, control);
    if (!result.Ok()) {
        std::fprintf(stderr, "%s\n", result.message.c_str());
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(result.beatMarks));
    return 0;
}
