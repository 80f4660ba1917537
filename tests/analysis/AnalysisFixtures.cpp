#include "AnalysisFixtures.h"

#include "EcgTime.h"
#include "OEKGFilter.h"
#include "OEKGFilterParams.h"
#include "OEcgFile.h"
#include "OSettings.h"
#include "SectorDecoders.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void StoreParam(const char* name, int value)
{
    OSettings::WriteInt(OEKGFilterParams::kSection, name, value);
}

OScore ScorePeaks(const std::vector<int64_t>& truth, const std::vector<int64_t>& detected, int64_t tolerance)
{
    OScore score;
    std::vector<bool> used(truth.size(), false);
    for (int64_t d : detected) {
        auto it = std::lower_bound(truth.begin(), truth.end(), d - tolerance);
        bool matched = false;
        for (; it != truth.end() && *it <= d + tolerance; ++it) {
            const size_t i = static_cast<size_t>(it - truth.begin());
            if (!used[i]) {
                used[i] = matched = true;
                break;
            }
        }
        (matched ? score.truePositives : score.falsePositives)++;
    }
    score.falseNegatives = static_cast<int64_t>(std::count(used.begin(), used.end(), false));
    return score;
}

std::vector<int64_t> ImpulsePositions(const OImpulse* impulses, int64_t count, bool unflaggedOnly)
{
    std::vector<int64_t> positions;
    for (int64_t i = 0; i < count; ++i)
        if (!unflaggedOnly || impulses[i].Flags == 0)
            positions.push_back(impulses[i].Pos);
    return positions;
}

OReferenceRun ReferenceFilterRun(const OEcgFile& file, bool threshold)
{
    auto filter = std::make_unique<OEKGFilter>();
    std::vector<OImpulse> impulses(static_cast<size_t>(file.SectorCount() + 1));
    filter->AttachImpulses(threshold ? impulses.data() : nullptr, static_cast<int64_t>(impulses.size()));
    filter->Prepare();
    OReferenceRun run;
    // Clamped, then truncated toward zero.
    const auto stored = [](double v) { return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0)); };
    int64_t out = filter->Delay();
    std::vector<uint8_t> sector(kSectorBytes);
    for (int64_t k = 0; k < file.SectorCount() && file.ReadSectors(k, 1, sector.data()) == 1; ++k) {
        double x[kSamplesPerSector];
        for (int i = 0; i < kSamplesPerSector; ++i)
            x[i] = SectorSample(sector.data(), i);
        filter->ProcessBlock(x, kSamplesPerSector, [&](double z, double thr) {
            if (out++ >= 0) {
                run.filtered.push_back(stored(z));
                run.threshold.push_back(stored(thr));
            }
        });
    }
    return run;
}
