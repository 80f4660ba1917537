#pragma once
// The report's sector channels, summed per minute as the sectors go by: a
// week holds 2.5 million sectors but only 10,080 minutes, so the report keeps
// the minutes' sums instead of the sectors. The sums are the ones the report
// divides (HolterReport.h: activity and temperature of a minute), added in
// sector order, so that the figures do not depend on how the file was read.
#include <cstdint>
#include <vector>

// One sector's auxiliary channels.
struct OSectorAux {
    double temperature = 0;
    double x = 0, y = 0, z = 0;
    bool hasAccelerations = false; // the sector summed readings
};

struct OMinuteSums {
    double activity = 0;    // lengths of the acceleration vector's changes
    double temperature = 0; // sector temperatures
    int64_t pairs = 0;      // sector pairs in activity
    int64_t sectors = 0;    // sectors in temperature
};

class OSectorMinutes {
public:
    explicit OSectorMinutes(double sectorS = 0.239616) : m_SectorS(sectorS) {}
    // The next sector of the recording (sector k starts at k·sectorS).
    void Add(const OSectorAux& sector);
    int64_t SectorCount() const { return m_Sectors; }
    // Minute m from m·60 s; as many as the sectors reached.
    const std::vector<OMinuteSums>& Minutes() const { return m_Minutes; }

private:
    double m_SectorS;
    int64_t m_Sectors = 0;
    OSectorAux m_Previous;
    std::vector<OMinuteSums> m_Minutes;
};
