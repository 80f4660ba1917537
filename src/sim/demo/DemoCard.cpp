#include "DemoCard.h"

#include "EctopyRecording.h"
#include "OSimCard.h"
#include "RecordingWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

struct DemoPart {
    double seconds;
    double bpm;
    uint32_t seed;
    std::vector<OEcgNoiseStretch> electrodeNoise;
    double temperature;
    double ccpHz;
    uint32_t gapBefore;
    bool ectopy;
};

int64_t SectorsFor(double seconds)
{
    return std::max<int64_t>(1, std::llround(seconds / 0.239616));
}

bool WriteTruth(const std::string& path, const DemoLayout& layout)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    for (const DemoRecording& r : layout.recordings) {
        std::fprintf(file, "recording\t%u\t%u\n", r.first, r.last);
        for (size_t i = 0; i < r.rPeaks.size(); ++i)
            std::fprintf(file, "rpeak\t%u\t%lld\t%c\n", r.first, static_cast<long long>(r.rPeaks[i]),
                         i < r.classes.size() ? r.classes[i] : 'N');
        for (const OEcgEvent& e : r.events)
            std::fprintf(file, "event\t%u\t%s\t%lld\t%lld\t%d\t%.1f\n", r.first, EcgEventName(e.kind),
                         static_cast<long long>(e.startSample), static_cast<long long>(e.endSample), e.beats,
                         e.meanBpm);
    }
    return std::fclose(file) == 0;
}

} // namespace

bool WriteDemoCard(const std::string& cardPath, DemoLayout& layout, std::string& error)
{
    const DemoPart parts[] = {
        {600, 70, 11, {}, 36.4, 1000, 0, false},
        {120, 120, 22, {{50, 12}}, 37.2, 1200, kDemoGapSectors, false},
        // A recording stopped at once: only its first sector was written.
        {0.2, 75, 33, {}, 36.0, 900, 0, false},
        // The newest: premature beats and rhythms with known classes and events.
        {300, 75, 44, {}, 36.8, 1100, 0, true},
    };
    OSimCard card;
    if (!card.Open(cardPath, error))
        return false;
    layout = {};
    uint32_t next = 0x10000;
    for (const DemoPart& part : parts) {
        next += part.gapBefore;
        ORecordingOptions options;
        options.firstSector = next;
        options.ecg.bpm = part.bpm;
        options.ecg.seed = part.seed;
        options.ecg.electrodeNoise = part.electrodeNoise;
        options.temperature = part.temperature;
        options.ccpHz = part.ccpHz;
        if (part.ectopy)
            options.ecg.rhythm = EctopySchedule(part.seconds, part.bpm);
        ORecordingWriter writer(options);
        const int64_t count = SectorsFor(part.seconds);
        uint8_t sector[ORecordingWriter::kSectorBytes];
        for (int64_t i = 0; i < count; ++i) {
            writer.NextSector(sector);
            if (!card.WriteSector(next + uint32_t(i), sector)) {
                error = "cannot write the demo recordings into " + cardPath;
                return false;
            }
        }
        const OEcgTruth truth = writer.Truth();
        layout.recordings.push_back({next, next + uint32_t(count) - 1, truth.rPeaks, truth.classes, truth.events});
        next += uint32_t(count);
    }
    layout.firstFree = next;
    if (!card.SetFirstFree(next)) {
        error = "cannot set the first free sector of " + cardPath;
        return false;
    }
    if (!WriteTruth(cardPath + ".truth.tsv", layout)) {
        error = "cannot write " + cardPath + ".truth.tsv";
        return false;
    }
    return true;
}
