#include "AnalysisFixtures.h"

#include "OEKGFilterParams.h"
#include "OSettings.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

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
