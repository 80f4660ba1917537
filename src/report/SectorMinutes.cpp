#include "SectorMinutes.h"

#include <cmath>

void OSectorMinutes::Add(const OSectorAux& s)
{
    const int64_t k = m_Sectors++;
    const auto m = static_cast<int64_t>(std::floor(k * m_SectorS / 60));
    if (m >= static_cast<int64_t>(m_Minutes.size()))
        m_Minutes.resize(static_cast<size_t>(m) + 1);
    OMinuteSums& minute = m_Minutes[size_t(m)];
    minute.temperature += s.temperature;
    ++minute.sectors;
    if (k > 0 && s.hasAccelerations && m_Previous.hasAccelerations) {
        const double dx = s.x - m_Previous.x, dy = s.y - m_Previous.y, dz = s.z - m_Previous.z;
        minute.activity += std::sqrt(dx * dx + dy * dy + dz * dz);
        ++minute.pairs;
    }
    m_Previous = s;
}
