// A recording file of any content: opened, processed by the whole analysis
// pass with the stored filter parameters (with the window's display data),
// checked, exported beside itself, and its filtered ECG recomputed at the
// start, the middle and the end.
#include "ExportSeries.h"
#include "FuzzSupport.h"
#include "OFilteredSpan.h"
#include "OPassDisplay.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "RecordingCheck.h"

#include <memory>
#include <vector>

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
    ProcessFile(file, *filter, control, {.display = true});
    ExportDerivedSeries(file);
    if (file.FilterShape() && file.Display()) {
        OFilteredSpan span(file, *file.FilterShape(), file.ProcessedN(), &file.Display()->checkpoints);
        std::vector<int16_t> filtered(300), threshold(300);
        for (const int64_t first : {int64_t{0}, file.ProcessedN() / 2, file.ProcessedN() - 100})
            span.Compute(first, 300, filtered.data(), threshold.data());
    }
    return 0;
}
