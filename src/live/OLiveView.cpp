#include "OLiveView.h"

#include "DateCache.h"
#include "OComPort.h"
#include "OConsole.h"
#include "OEKGFilter.h"
#include "OSettings.h"
#include "SectorDecoders.h"
#include "StrFormat.h"

#include <algorithm>

namespace {

constexpr const char* kInfoSection = "Info";
constexpr const char* kStartAdrName = "m_CurrentFileStartAdr";

} // namespace

OLiveView::OLiveView()
    : m_FileTimeNow(&LocalFileTimeNow), m_LiveFilter(std::make_unique<OEKGFilter>()),
      m_CurrentFileStartAdr(static_cast<uint32_t>(OSettings::GetInt(kInfoSection, kStartAdrName, -1)))
{
    m_CcpMeter.Reset();
}

OLiveView::~OLiveView() = default;

void OLiveView::Start(OComPort& port)
{
    RestartSilenceClock();
    m_LiveFilter->Prepare();
    const uint8_t start[2] = {0xCD, 0x0A};
    port.Send(start, 2);
}

int OLiveView::Pump(OComPort& port, bool filtered, OLiveSink& sink, uint32_t nowMs)
{
    if (!port.IsOpen()) {
        // No port, no device to miss.
        m_LastStreamTick = nowMs;
        RestartSilenceClock();
        return 0;
    }
    if (!m_SilenceClockRunning) {
        m_SilenceClockRunning = true;
        m_LastPacketTick = nowMs;
        m_SilentSecondsShown = 0;
    }
    int skipped = 0;
    int decoded = 0;
    for (;;) {
        uint8_t head[4];
        const int n = port.Peek(head, 4);
        if (n == 0)
            m_LastStreamTick = nowMs;
        if (n < 4)
            break;
        if (LiveU32(head) == kLiveSignature) {
            if (!port.Take(m_Packet.data(), kLivePacketSize))
                break;
            DecodeLivePacket(m_Packet.data(), filtered, sink);
            ++decoded;
            m_LastStreamTick = nowMs;
            m_LastPacketTick = nowMs;
            m_SilentSecondsShown = 0;
            continue;
        }
        const uint8_t byte = port.TakeByte();
        if (skipped < 10)
            Console().Write(StrFormat("Пропускаю %X\n", byte));
        else if (skipped == 10)
            Console().Write(StrFormat("Пропускаю %X ...\n", byte));
        ++skipped;
    }
    if (nowMs - m_LastStreamTick > kDrainAfterMs)
        DrainStale(port, nowMs);
    if (const uint32_t silent = nowMs - m_LastPacketTick; silent >= kSilenceNoteMs) {
        const uint32_t seconds = silent / 1000;
        if (seconds != m_SilentSecondsShown) {
            m_SilentSecondsShown = seconds;
            sink.ShowStatus(StrFormat("Нет данных от устройства %u с", seconds));
        }
    }
    return decoded;
}

void OLiveView::DrainStale(OComPort& port, uint32_t nowMs)
{
    const int waiting = port.Available();
    std::string note = StrFormat("Пропуская %d байт: ", waiting);
    const int shown = std::min(waiting, 512);
    for (int i = 0; i < shown; ++i) {
        if (i > 0)
            note += ", ";
        note += StrFormat("%02x", port.PeekByte(i));
    }
    if (waiting > 512)
        note += ", ...";
    note += "\n";
    Console().Write(note);
    port.Skip(waiting);
    m_LastStreamTick = nowMs;
}

void OLiveView::DecodeLivePacket(const uint8_t* bytes, bool filtered, OLiveSink& sink)
{
    const LivePacketView packet{bytes};
    LiveStatus status;
    status.temperature = SectorTemperature(bytes);
    double rough = 0;
    m_CcpMeter.Update(bytes, rough, status.frequency);
    SectorAccelerations(bytes, status.x, status.y, status.z);

    int k = m_LiveWritePos;
    for (int i = 0; i < kLiveSamplesPerPacket; ++i, ++k) {
        if (k >= kSampleCount)
            k -= kSampleCount;
        const uint16_t s = packet.Sample(i);
        if (filtered) {
            m_LiveFilter->Process(static_cast<double>(s));
            m_LiveSamples[k] = LiveFilteredSample(m_LiveFilter->Output());
        } else {
            m_LiveSamples[k] = s;
        }
    }
    m_LiveWritePos += kLiveSamplesPerPacket;
    if (m_LiveWritePos >= kSampleCount)
        m_LiveWritePos -= kSampleCount;
    sink.DrawLiveChart();

    status.stateText = LiveStateText(packet.Flags(), packet.StartError(), packet.WriteError());
    status.elapsed = packet.Elapsed();
    status.firstSector = packet.FirstSector();
    status.position = packet.Position();

    if (status.firstSector != m_CurrentFileStartAdr) {
        m_CurrentFileStartAdr = status.firstSector;
        OSettings::WriteInt(kInfoSection, kStartAdrName, static_cast<int>(m_CurrentFileStartAdr));
        m_ElapsedFilter = OMedFilter(kPacketsBeforeStartTime);
        m_RecordStartTime = 0;
    }
    m_ElapsedFilter.Push(status.elapsed);
    if (m_ElapsedFilter.Count() >= kPacketsBeforeStartTime && m_RecordStartTime == 0) {
        m_RecordStartTime = m_FileTimeNow() + static_cast<int64_t>(status.elapsed * -10000000.0);
        WriteDateCache(m_CurrentFileStartAdr, m_RecordStartTime, status.position);
    }
    if (m_RecordStartTime != 0)
        status.dateText = FileTimeText(m_RecordStartTime) + ", ";
    sink.ShowStatus(LiveStatusLine(status));
}
