#include "RecordingWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCcpTicksPerSecond = 2500000;
constexpr double kSectorSeconds = 0.239616;

void Put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

ORecordingWriter::ORecordingWriter(const ORecordingOptions& options)
    : m_Options(options), m_Model(options.ecg), m_NextCapture(1000.0 + (options.ecg.seed % 977) * 13.0)
{
}

void ORecordingWriter::EncodeTemperature(double degrees, uint8_t* sector)
{
    // degrees = T - 0.25 + (P - R) / P
    constexpr int p = 16;
    const double shifted = degrees + 0.25;
    int whole = static_cast<int>(std::floor(shifted));
    int counts = static_cast<int>(std::lround((shifted - whole) * p)); // P - R
    if (counts == 0) {
        --whole;
        counts = p;
    }
    sector[17] = static_cast<uint8_t>(static_cast<int8_t>(std::clamp(whole, -128, 127)));
    sector[19] = static_cast<uint8_t>(p - counts);
    sector[20] = p;
}

void ORecordingWriter::WriteCcp(uint8_t* sector)
{
    // Captures of the input's edges during this sector, on a free-running
    // 32-bit timer of 0.4 us ticks.
    const double end = (m_Written + 1) * kSectorSeconds * kCcpTicksPerSecond + 1000.0;
    uint32_t first = 0, sum = 0, further = 0;
    bool any = false;
    const double seconds = m_Written * kSectorSeconds;
    const double hz = m_Options.ccpHz * (1 + 0.05 * std::sin(2 * kPi * seconds / 600));
    while (m_NextCapture < end) {
        const uint32_t stamp = static_cast<uint32_t>(static_cast<uint64_t>(m_NextCapture));
        if (!any) {
            first = stamp;
            any = true;
        } else {
            sum += stamp;
            ++further;
        }
        m_NextCapture += kCcpTicksPerSecond / hz;
    }
    Put32(sector + 24, first);
    Put32(sector + 28, sum);
    Put32(sector + 32, further);
}

void ORecordingWriter::WriteAccelerations(uint8_t* sector, double t)
{
    // The wearer leans slowly back and forth and turns now and then.
    const double pitch = 0.6 * std::sin(2 * kPi * t / 300);
    const double roll = 0.4 * std::sin(2 * kPi * t / 1700 + 1);
    const double axes[3] = {std::sin(pitch) * 60, std::sin(roll) * std::cos(pitch) * 60,
                            std::cos(roll) * std::cos(pitch) * 60};
    const int reads = m_Options.accelerometerReads;
    for (int a = 0; a < 3; ++a) {
        const double mean = std::clamp(128 + axes[a], 0.0, 255.0);
        Put16(sector + 36 + 2 * a, static_cast<uint16_t>(std::lround(mean * reads)));
    }
    sector[43] = static_cast<uint8_t>(reads);
}

void ORecordingWriter::NextSector(uint8_t* sector)
{
    std::memset(sector, 0, kSectorBytes);
    const double t = m_Written * kSectorSeconds;
    Put32(sector, kSignature);
    Put32(sector + 4, m_Options.firstSector);
    Put32(sector + 8, NextPosition());
    Put32(sector + 12, static_cast<uint32_t>(m_Written * kTicksPerSector));
    EncodeTemperature(m_Options.temperature + 0.4 * std::sin(2 * kPi * t / 900) + 0.1 * std::sin(2 * kPi * t / 97),
                      sector);
    WriteCcp(sector);
    WriteAccelerations(sector, t);
    for (int i = 0; i < kSamplesPerSector; ++i)
        Put16(sector + 44 + 2 * i, m_Model.Next());
    ++m_Written;
}

std::vector<uint8_t> ORecordingWriter::Sectors(int64_t count)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(count) * kSectorBytes);
    for (int64_t i = 0; i < count; ++i)
        NextSector(bytes.data() + i * kSectorBytes);
    return bytes;
}

std::vector<uint8_t> MakeRecording(const ORecordingOptions& options, int64_t count, std::vector<int64_t>* rPeaks)
{
    ORecordingWriter writer(options);
    std::vector<uint8_t> bytes = writer.Sectors(count);
    if (rPeaks)
        *rPeaks = writer.RPeaks();
    return bytes;
}
