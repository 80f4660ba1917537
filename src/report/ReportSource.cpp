#include "ReportSource.h"

#include "EcgTime.h"
#include "RhythmEvents.h"
#include "SectorDecoders.h"

#include <algorithm>

namespace {

constexpr int kAccelCountOffset = 43; // readings summed into the sector's accelerations

} // namespace

OReportInput ReportInputFromFile(const OEcgFile& file, int32_t detector, double unitsPerMillivolt)
{
    OReportInput in;
    in.filePath = file.FilePath();
    in.start = RecordingStartFromName(SplitPath(file.FilePath()).name);
    in.durationS = file.SectorCount() * kSectorDuration;
    in.detector = detector;
    in.sampleRate = kSampleRate;
    in.sectorS = kSectorDuration;
    in.unitsPerMillivolt = unitsPerMillivolt;

    const auto& impulses = file.ImpulseInfo();
    in.beats.reserve(static_cast<size_t>(impulses.Count()));
    for (int64_t i = 0; i < impulses.Count(); ++i)
        in.beats.push_back({impulses[i].Pos * kSamplePeriod * 1000, impulses[i].Flags, impulses[i].Class});

    // The same events as the event list and the EDF+ export give.
    in.rhythm = FindRhythmEvents(impulses.Data(), impulses.Count(), file.SectorCount() * kSamplesPerSector);

    if (!file.IsMapped())
        return in;
    in.sectors.resize(static_cast<size_t>(file.SectorCount()));
    for (int64_t k = 0; k < file.SectorCount(); ++k) {
        const uint8_t* sector = file.Sector(k);
        OSectorAux& aux = in.sectors[size_t(k)];
        aux.temperature = SectorTemperature(sector);
        SectorAccelerations(sector, aux.x, aux.y, aux.z);
        aux.hasAccelerations = sector[kAccelCountOffset] != 0;
    }
    in.samples = [&file](int64_t first, int64_t count) {
        std::vector<double> samples;
        const int64_t total = file.SectorCount() * kSamplesPerSector;
        const int64_t end = std::min(total, first + count);
        for (int64_t i = std::max<int64_t>(first, 0); i < end; ++i)
            samples.push_back(
                SectorSample(file.Sector(i / kSamplesPerSector), static_cast<int>(i % kSamplesPerSector)));
        return samples;
    };
    return in;
}
