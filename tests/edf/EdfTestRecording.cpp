#include "EdfTestRecording.h"

#include "AnalysisFixtures.h"
#include "ProcessFile.h"

OProcessedRecording MakeProcessedRecording(const std::string& folder, const std::string& name, int64_t sectors,
                                           const ORecordingOptions& options)
{
    OProcessedRecording r;
    r.path = folder + "/" + name;
    WriteFileBytes(r.path, MakeRecording(options, sectors));
    if (r.file->OpenEcgFile(r.path, true)) {
        OProcessControl control;
        ProcessFile(*r.file, *r.filter, control);
    }
    return r;
}
