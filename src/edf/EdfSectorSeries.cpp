#include "EdfSectorSeries.h"

#include "EcgTime.h"
#include "SectorDecoders.h"

#include <algorithm>
#include <cmath>

namespace {
// Limit of a whole number the header's 8 characters can hold with its sign.
constexpr double kLargestRange = 9999999;
// Times of points and sectors are both multiples of the sector duration;
// this absorbs the rounding of their products.
constexpr double kTimeSlack = 1e-6;
} // namespace

void OEdfRange::Include(double v)
{
    if (!std::isfinite(v))
        return;
    if (!m_Any) {
        low = high = v;
        m_Any = true;
        return;
    }
    low = std::min(low, v);
    high = std::max(high, v);
}

void OEdfRange::Finish()
{
    if (!m_Any)
        low = high = 0;
    low = std::clamp(std::floor(low), -kLargestRange, kLargestRange - 1);
    high = std::clamp(std::ceil(high), -kLargestRange, kLargestRange);
    if (high <= low)
        high = low + 1;
}

int16_t OEdfRange::Digital(double v) const
{
    if (!std::isfinite(v))
        v = low;
    const double d = std::round((v - low) / (high - low) * 65535.0) + kEdfDigitalMin;
    return static_cast<int16_t>(std::clamp(d, double(kEdfDigitalMin), double(kEdfDigitalMax)));
}

OSectorSeries::OSectorSeries(const OEcgFile& file) : m_File(file) {}

void OSectorSeries::Rewind()
{
    m_Thermo = 0;
    m_Puls = 0;
}

OSectorSeries::Values OSectorSeries::At(int64_t k, const uint8_t* sector)
{
    Values v{};
    const double t = k * kSectorDuration;

    const auto& thermo = m_File.Thermo();
    if (thermo.Count() == 0) {
        v.temperature = SectorTemperature(sector);
    } else {
        while (m_Thermo + 1 < thermo.Count() && thermo[m_Thermo + 1].x <= t + kTimeSlack)
            ++m_Thermo;
        v.temperature = thermo[m_Thermo].y; // before the first point: the first value
    }

    SectorAccelerations(sector, v.x, v.y, v.z);

    const auto& fms = m_File.FMs();
    v.ccp = fms.Count() == 0 ? 0.0 : fms[std::min(k, fms.Count() - 1)].rough;

    const auto& puls = m_File.Puls();
    while (m_Puls < puls.Count() && puls[m_Puls].x * kSamplePeriod <= t + kTimeSlack)
        ++m_Puls;
    // The last point at or before t; no rate before the first one.
    v.pulse = m_Puls == 0 ? 0.0 : std::max(puls[m_Puls - 1].y, 0.0);
    return v;
}
