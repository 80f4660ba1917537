#pragma once
// The live view's state and its work on the packets the device streams while
// it records: pick packets out of the port's ring, keep the last three seconds
// of ECG (raw or filtered) for the chart, build the status line, and write each
// recording's start time into the date cache once 11 of its packets have come.
// Window-free: whoever shows it implements OLiveSink.
#include "LivePacket.h"
#include "OCcpMeter.h"
#include "OMedFilter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class OComPort;
class OEKGFilter;

class OLiveSink {
public:
    virtual ~OLiveSink() = default;
    // The sample ring has just changed: draw the chart now.
    virtual void DrawLiveChart() = 0;
    virtual void ShowStatus(const std::string& line) = 0;
};

class OLiveView {
public:
    static constexpr int kSampleCount = 2928;
    // Packets of one recording before its start time is estimated.
    static constexpr int kPacketsBeforeStartTime = 11;
    // Bytes waiting this long without forming a packet are dropped.
    static constexpr uint32_t kDrainAfterMs = 1500;
    // After this long without a packet the status line says so.
    static constexpr uint32_t kSilenceNoteMs = 2000;

    // Reads the last recording's first sector from the settings.
    OLiveView();
    ~OLiveView();
    OLiveView(const OLiveView&) = delete;
    OLiveView& operator=(const OLiveView&) = delete;

    // The start button without the mode switch: a fresh filter pass, then the
    // device's start command. The sample ring is kept.
    void Start(OComPort& port);
    // One tick of the packet pump; returns the number of packets decoded.
    // Once no packet has come for kSilenceNoteMs, the status line says for
    // how many seconds (a new line each second).
    int Pump(OComPort& port, bool filtered, OLiveSink& sink, uint32_t nowMs);
    // The silence counts afresh from the next pump: the pump was paused or
    // the port changed.
    void RestartSilenceClock() { m_SilenceClockRunning = false; }
    void DecodeLivePacket(const uint8_t* packet, bool filtered, OLiveSink& sink);

    const uint16_t* Samples() const { return m_LiveSamples.data(); }
    int WritePos() const { return m_LiveWritePos; }
    uint32_t CurrentFileStartAdr() const { return m_CurrentFileStartAdr; }
    int64_t RecordStartTime() const { return m_RecordStartTime; }

    // The wall clock as a local file time; tests replace it.
    int64_t (*m_FileTimeNow)() = nullptr;

private:
    void DrainStale(OComPort& port, uint32_t nowMs);

    std::unique_ptr<OEKGFilter> m_LiveFilter;
    std::array<uint16_t, kSampleCount> m_LiveSamples{};
    int m_LiveWritePos = 0;
    uint32_t m_CurrentFileStartAdr;
    // Counts the packets of the current recording (only its count is used).
    OMedFilter m_ElapsedFilter{kPacketsBeforeStartTime};
    int64_t m_RecordStartTime = 0;
    OCcpMeter m_CcpMeter;
    uint32_t m_LastStreamTick = 2000000000;
    bool m_SilenceClockRunning = false;
    uint32_t m_LastPacketTick = 0;
    uint32_t m_SilentSecondsShown = 0;
    std::array<uint8_t, kLivePacketSize> m_Packet{};
};
