#pragma once
// Recording sectors as the ECG device writes them to its card: signature,
// first sector, position, tick count, thermometer fields, CCP1 captures,
// accelerometer sums and 234 samples of the ECG model. Temperature, CCP1
// frequency and body position change slowly over the recording.
//
//   ORecordingOptions options;
//   options.firstSector = 0x10000;
//   options.ecg.bpm = 70;
//   ORecordingWriter writer(options);
//   std::vector<uint8_t> bytes = writer.Sectors(2504); // ten minutes
//   writer.RPeaks();                                   // true R-peak sample indices
//
//   options.ecg.rhythm.pvcPerMinute = 4;               // ectopy (EcgRhythm.h)
//   writer.Truth();                                    // R-peaks, classes, events
// EctopyRecording.h writes such recordings to files in one call.
#include "EcgModel.h"

#include <cstdint>
#include <vector>

struct ORecordingOptions {
    uint32_t firstSector = 0x10000; // S, also the position of the first sector
    OEcgModelOptions ecg;
    double temperature = 36.6;       // mean, degrees Celsius
    double ccpHz = 1000;             // mean CCP1 input frequency
    uint8_t accelerometerReads = 24; // readings summed per sector
};

class ORecordingWriter {
public:
    static constexpr int kSectorBytes = 512;
    static constexpr int kSamplesPerSector = 234;
    static constexpr uint32_t kSignature = 0xA73955AA;
    static constexpr uint32_t kTicksPerSector = 2340; // ticks of 0.1024 ms

    explicit ORecordingWriter(const ORecordingOptions& options);

    // Fills the next sector of the recording (512 bytes).
    void NextSector(uint8_t* sector);
    // The next count sectors, concatenated.
    std::vector<uint8_t> Sectors(int64_t count);

    // Card sector number the next sector is written to.
    uint32_t NextPosition() const { return m_Options.firstSector + static_cast<uint32_t>(m_Written); }
    int64_t SectorsWritten() const { return m_Written; }
    // True R-peaks, sample indices from the start of the recording.
    const std::vector<int64_t>& RPeaks() const { return m_Model.RPeaks(); }
    // The R-peaks with each beat's class and the episodes (EcgRhythm.h).
    OEcgTruth Truth() const { return m_Model.Truth(); }
    OEcgModel& Model() { return m_Model; }

    // The temperature fields a thermometer reports for degrees (T, R, P at
    // offsets 17, 19, 20) with 16 counts per degree.
    static void EncodeTemperature(double degrees, uint8_t* sector);

private:
    void WriteCcp(uint8_t* sector);
    void WriteAccelerations(uint8_t* sector, double t);

    ORecordingOptions m_Options;
    OEcgModel m_Model;
    int64_t m_Written = 0;
    double m_NextCapture; // CCP1 timer ticks (0.4 us) of the next capture
};

// Writes a whole recording of count sectors; rPeaks (optional) receives the
// true R-peak sample indices.
std::vector<uint8_t> MakeRecording(const ORecordingOptions& options, int64_t count,
                                   std::vector<int64_t>* rPeaks = nullptr);
