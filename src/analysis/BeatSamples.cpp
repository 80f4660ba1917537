#include "BeatSamples.h"

#include "EcgTime.h"
#include "OEcgFile.h"
#include "SectorDecoders.h"
#include "SectorReader.h"

#include <algorithm>
#include <memory>

OSampleSource FileSampleSource(const OEcgFile& file)
{
    // The classifier asks for one beat's window after another in increasing
    // order: a chunk read through the descriptor serves a few dozen beats, and
    // none of the file's mapping is touched.
    auto reader = std::make_shared<OSectorReader>(file);
    return [reader](int64_t first, int64_t count, int16_t* out) -> int64_t {
        if (first < 0 || count <= 0)
            return 0;
        const int64_t firstSector = first / kSamplesPerSector;
        const int64_t lastSector = (first + count - 1) / kSamplesPerSector;
        int64_t got = 0;
        const uint8_t* base = reader->Sectors(firstSector, lastSector - firstSector + 1, &got);
        if (!base || got <= 0)
            return 0;
        const int64_t available = std::min(count, (firstSector + got) * kSamplesPerSector - first);
        // Sector by sector: no division per sample.
        int64_t done = 0;
        int from = static_cast<int>(first - firstSector * kSamplesPerSector);
        for (const uint8_t* sector = base; done < available; sector += kSectorBytes, from = 0) {
            const int run = static_cast<int>(std::min<int64_t>(kSamplesPerSector - from, available - done));
            for (int j = 0; j < run; ++j)
                out[done + j] = SectorSample(sector, from + j);
            done += run;
        }
        return std::max<int64_t>(available, 0);
    };
}

OSampleSource ArraySampleSource(const int16_t* samples, int64_t count)
{
    return [samples, count](int64_t first, int64_t n, int16_t* out) -> int64_t {
        if (first < 0 || first >= count || n <= 0)
            return 0;
        const int64_t available = std::min(n, count - first);
        std::copy(samples + first, samples + first + available, out);
        return available;
    };
}
