#include "BeatSamples.h"

#include "EcgTime.h"
#include "OEcgFile.h"
#include "SectorDecoders.h"

#include <algorithm>
#include <memory>
#include <vector>

OSampleSource FileSampleSource(const OEcgFile& file)
{
    // A few sectors cover a beat's window; the buffer lives as long as the
    // source and only serves the unmapped case.
    auto buffer = std::make_shared<std::vector<uint8_t>>();
    return [&file, buffer](int64_t first, int64_t count, int16_t* out) -> int64_t {
        if (first < 0 || count <= 0)
            return 0;
        const int64_t firstSector = first / kSamplesPerSector;
        const int64_t lastSector = std::min((first + count - 1) / kSamplesPerSector, file.SectorCount() - 1);
        if (lastSector < firstSector)
            return 0;
        const int64_t sectors = lastSector - firstSector + 1;
        const uint8_t* base = nullptr;
        int64_t got = sectors;
        if (file.IsMapped()) {
            base = file.Sector(firstSector);
        } else {
            buffer->resize(static_cast<size_t>(sectors) * kSectorBytes);
            got = file.ReadSectors(firstSector, sectors, buffer->data());
            base = buffer->data();
        }
        if (!base || got <= 0)
            return 0;
        const int64_t available = std::min(count, (firstSector + got) * kSamplesPerSector - first);
        for (int64_t i = 0; i < available; ++i) {
            const int64_t s = first + i;
            const int64_t k = s / kSamplesPerSector - firstSector;
            out[i] = SectorSample(base + k * kSectorBytes, static_cast<int>(s % kSamplesPerSector));
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
