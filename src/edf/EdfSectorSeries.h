#pragma once
// The one-value-per-sector signals of the EDF+ export, with exactly the values
// the text export gives: temperature and CCP1 from the last processing pass
// (each held until its next point), the accelerations decoded from every
// sector. A file without a pass's temperatures gets each sector's own reading.
// When the pass left the CCP1 frequencies out (the command line's export does,
// 40 MB of a week), they are computed here as the pass would have, a few
// sectors ahead of the one written.
#include "OCcpMeter.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "SectorReader.h"

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
    double Ccp(int64_t k);
    double CcpAhead(int64_t k);

    const OEcgFile& m_File;
    int64_t m_Thermo = 0;
    int64_t m_Puls = 0;
    OSectorReader m_CcpReader;
    OCcpMeter m_CcpMeter;
    int64_t m_CcpFed = 0; // sectors the meter has seen since Rewind
    double m_CcpRough = 0;
};
