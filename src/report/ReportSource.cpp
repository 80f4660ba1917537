#include "ReportSource.h"

#include "EcgTime.h"
#include "RhythmEvents.h"
#include "SectorDecoders.h"
#include "SectorReader.h"

#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kAccelCountOffset = 43; // readings summed into the sector's accelerations

// The sectors' channels, read in chunks and summed per minute; a sector that
// cannot be read ends them there.
OSectorMinutes SectorChannels(const OEcgFile& file)
{
    OSectorMinutes minutes(kSectorDuration);
    OSectorReader reader(file);
    for (int64_t k = 0; k < file.SectorCount(); ++k) {
        const uint8_t* sector = reader.Sector(k);
        if (!sector)
            break;
        OSectorAux aux;
        aux.temperature = SectorTemperature(sector);
        SectorAccelerations(sector, aux.x, aux.y, aux.z);
        aux.hasAccelerations = sector[kAccelCountOffset] != 0;
        minutes.Add(aux);
    }
    return minutes;
}

// Raw samples [first, first + count) clipped to the recording, read from
// their own sectors only.
std::vector<double> RawSamples(int fd, int64_t sectorCount, int64_t first, int64_t count)
{
    std::vector<double> samples;
    const int64_t end = std::min(sectorCount * kSamplesPerSector, first + count);
    first = std::max<int64_t>(first, 0);
    if (end <= first)
        return samples;
    const int64_t firstSector = first / kSamplesPerSector;
    const int64_t sectors = (end - 1) / kSamplesPerSector - firstSector + 1;
    OSectorReader reader(fd, sectorCount, sectors);
    int64_t got = 0;
    const uint8_t* base = reader.Sectors(firstSector, sectors, &got);
    const int64_t last = std::min(end, (firstSector + got) * kSamplesPerSector);
    samples.reserve(static_cast<size_t>(std::max<int64_t>(0, last - first)));
    for (int64_t i = first; i < last; ++i)
        samples.push_back(SectorSample(base + (i / kSamplesPerSector - firstSector) * kSectorBytes,
                                       static_cast<int>(i % kSamplesPerSector)));
    return samples;
}

// The strips read through a descriptor of their own, so that the report may
// outlive the processed file and its arrays (the command line lets them go
// before the report is built).
std::function<std::vector<double>(int64_t, int64_t)> SampleReader(const OEcgFile& file)
{
    const int own = file.IsOpen() ? ::fcntl(file.Descriptor(), F_DUPFD_CLOEXEC, 0) : -1;
    const std::shared_ptr<const int> fd(new int(own), [](const int* d) {
        if (*d >= 0)
            ::close(*d);
        delete d;
    });
    const int64_t sectorCount = file.SectorCount();
    return [fd, sectorCount](int64_t first, int64_t count) { return RawSamples(*fd, sectorCount, first, count); };
}

} // namespace

OReportInput ReportInputFromFile(const OEcgFile& file, int32_t detector, double unitsPerMillivolt)
{
    OReportInput in;
    in.filePath = file.FilePath();
    in.start = RecordingStartFromName(SplitPath(file.FilePath()).name);
    in.durationS = file.SectorCount() * kSectorDuration;
    in.detector = detector;
    in.sampleRate = kSampleRate;
    in.unitsPerMillivolt = unitsPerMillivolt;

    const auto& impulses = file.ImpulseInfo();
    in.beats.reserve(static_cast<size_t>(impulses.Count()));
    for (int64_t i = 0; i < impulses.Count(); ++i)
        in.beats.push_back({impulses[i].Pos * kSamplePeriod * 1000, impulses[i].Flags, impulses[i].Class});

    // The same events as the event list and the EDF+ export give.
    in.rhythm = FindRhythmEvents(impulses.Data(), impulses.Count(), file.SectorCount() * kSamplesPerSector);

    in.sectors = SectorChannels(file);
    in.samples = SampleReader(file);
    return in;
}
