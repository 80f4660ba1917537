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

OSectorSeries::OSectorSeries(const OEcgFile& file) : m_File(file), m_CcpReader(file) {}

void OSectorSeries::Rewind()
{
    m_Thermo = 0;
    m_Puls = 0;
    m_CcpMeter.Reset();
    m_CcpFed = 0;
    m_CcpRough = 0;
}

double OSectorSeries::Ccp(int64_t k)
{
    if (m_File.FrequenciesLeftOut())
        return CcpAhead(k);
    const auto& fms = m_File.FMs();
    return fms.Count() == 0 ? 0.0 : fms[std::min(k, fms.Count() - 1)].rough;
}

// The pass stores the meter's value after sector s as pair s - 4, from sector
// 4 on: pair k is the value after sector k + 4, and the last sectors hold the
// value after the last one.
double OSectorSeries::CcpAhead(int64_t k)
{
    const int64_t sectors = std::min(m_File.SectorCount(), kMaxPassSectors);
    if (sectors < 5)
        return 0.0;
    const int64_t through = std::min(k + 4, sectors - 1);
    while (m_CcpFed <= through) {
        const uint8_t* sector = m_CcpReader.Sector(m_CcpFed);
        if (!sector)
            break; // a read error: the last value holds, as after a short pass
        double fine = 0;
        m_CcpMeter.Update(sector, m_CcpRough, fine);
        ++m_CcpFed;
    }
    return m_CcpRough;
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

    v.ccp = Ccp(k);

    const auto& puls = m_File.Puls();
    while (m_Puls < puls.Count() && puls[m_Puls].x * kSamplePeriod <= t + kTimeSlack)
        ++m_Puls;
    // The last point at or before t; no rate before the first one.
    v.pulse = m_Puls == 0 ? 0.0 : std::max(puls[m_Puls - 1].y, 0.0);
    return v;
}
