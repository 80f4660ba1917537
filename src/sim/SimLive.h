#pragma once
// The device's recording with its live stream: after CMD_START_LIVE it writes
// one sector of its ECG model to the card every 0.239616 s, from the first free
// sector on (advancing it), and sends each as a live packet: the sector and
// three status bytes about the card. Any request ends it; STOP confirms.
#include "OSimDevice.h"
#include "RecordingWriter.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

class OSimLive {
public:
    static constexpr std::chrono::microseconds kPacketPeriod{239616};
    // Card bits of the status flags: an SD version 2 high-capacity card.
    static constexpr uint8_t kCardBits = 0x03;
    // Codes of a start that found no card, and of the write that failed.
    static constexpr uint8_t kNoCardStartError = 0x01;
    static constexpr uint8_t kNoCardWriteError = 0x1F;
    // Bytes of a cut packet that still go out.
    static constexpr int kTruncatedLength = 300;

    // Registers CMD_START_LIVE and hooks the device's idle time and prefix;
    // lives as long as the device serves. Its faults are the device's
    // live-garbage, live-truncate and card-missing.
    explicit OSimLive(OSimDevice& device);

    // The heart of every live recording started from now on (sinus rhythm
    // unless set).
    void SetRhythm(const OEcgRhythm& rhythm) { m_Rhythm = rhythm; }

    bool Running() const { return m_Running.load(); }
    // Packets made (and queued) since the last start.
    int64_t PacketsMade() const { return m_Sent.load(); }
    uint32_t FirstSector() const { return m_FirstSector.load(); }

private:
    void Start(OSimDevice::TimePoint now);
    void QueueNext();

    OSimDevice& m_Device;
    OEcgRhythm m_Rhythm;
    std::unique_ptr<ORecordingWriter> m_Writer;
    OSimDevice::TimePoint m_Start{};
    std::atomic<bool> m_Running{false};
    std::atomic<int64_t> m_Sent{0};
    std::atomic<uint32_t> m_FirstSector{0};
};
