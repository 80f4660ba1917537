#pragma once
// The one-value-per-sector signals of the EDF+ export, with exactly the values
// the text export gives: temperature and CCP1 from the last processing pass
// (each held until its next point), the accelerations decoded from every
// sector. A file without a pass's temperatures gets each sector's own reading.
#include "OEcgFile.h"

#include <cstdint>

// Physical range of a signal stored in 16 bits: whole numbers around the
// values, so that the header's 8-character fields hold them exactly.
struct OEdfRange {
    double low = 0;
    double high = 1;
    void Include(double v);
    void Finish(); // rounds outwards; never an empty span
    // The digital value of v (-32768..32767).
    int16_t Digital(double v) const;
    double Resolution() const { return (high - low) / 65535.0; }

private:
    bool m_Any = false;
};
inline constexpr int kEdfDigitalMin = -32768;
inline constexpr int kEdfDigitalMax = 32767;

// Values of sector k, asked for in ascending k (the held series keep a cursor).
class OSectorSeries {
public:
    explicit OSectorSeries(const OEcgFile& file);

    struct Values {
        double temperature, x, y, z, ccp, pulse;
    };
    Values At(int64_t k, const uint8_t* sector);
    // Starts the cursors again (the range scan and the writing pass each run
    // through the sectors once).
    void Rewind();

private:
    const OEcgFile& m_File;
    int64_t m_Thermo = 0;
    int64_t m_Puls = 0;
};
