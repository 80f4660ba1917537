// A recording file of any content: opened, processed by the whole analysis
// pass with the stored filter parameters, checked and exported beside itself.
#include "ExportSeries.h"
#include "FuzzSupport.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "RecordingCheck.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Large delay lines: made once, prepared afresh by every pass.
    static const auto filter = std::make_unique<OEKGFilter>();
    const std::string path = WriteFuzzFile("ЭКГ_2010_05_12, 14_30_05, 0x00010000.экг", data, size);
    OEcgFile file;
    if (!file.OpenEcgFile(path, true))
        return 0;
    OProcessControl control;
    ReportRecordingCheck(CheckRecordingSectors(file));
    ProcessFile(file, *filter, control);
    ExportDerivedSeries(file);
    return 0;
}
