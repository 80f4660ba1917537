#include "EcgFixture.h"

#include <cmath>
#include <fstream>

void WriteRecording(const std::string& path, int sectors, const std::function<uint16_t(int64_t)>& sample,
                    const std::function<FixtureSector(int)>& sector)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<uint8_t> bytes(512);
    for (int k = 0; k < sectors; ++k) {
        std::fill(bytes.begin(), bytes.end(), 0);
        const uint32_t signature = 0xA73955AA;
        for (int b = 0; b < 4; ++b)
            bytes[b] = static_cast<uint8_t>(signature >> (8 * b));
        const FixtureSector aux = sector ? sector(k) : FixtureSector{};
        bytes[17] = static_cast<uint8_t>(aux.wholeDegrees);
        bytes[19] = aux.countRemaining;
        bytes[20] = aux.countsPerDegree;
        for (int a = 0; a < 3; ++a) {
            bytes[36 + 2 * a] = static_cast<uint8_t>(aux.accelSums[a]);
            bytes[37 + 2 * a] = static_cast<uint8_t>(aux.accelSums[a] >> 8);
        }
        bytes[43] = aux.accelCount;
        for (int s = 0; s < 234; ++s) {
            const uint16_t v = sample(static_cast<int64_t>(k) * 234 + s);
            bytes[44 + 2 * s] = static_cast<uint8_t>(v);
            bytes[45 + 2 * s] = static_cast<uint8_t>(v >> 8);
        }
        out.write(reinterpret_cast<const char*>(bytes.data()), 512);
    }
}

uint16_t SyntheticEcg(int64_t i, double bpm, double gapFrom, double gapTo)
{
    const double t = i * 0.001024;
    const double baseline = 5000;
    if (t >= gapFrom && t < gapTo)
        return static_cast<uint16_t>(baseline);
    const double period = 60.0 / bpm;
    const double phase = std::fmod(t, period) - period / 2; // R wave mid-period
    const double halfWidth = 0.025;
    const double r = std::fabs(phase) < halfWidth ? 1500.0 * (1.0 - std::fabs(phase) / halfWidth) : 0.0;
    return static_cast<uint16_t>(baseline + r);
}
