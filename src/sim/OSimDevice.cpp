#include "OSimDevice.h"

#include "DeviceCommands.h"
#include "OSimCard.h"

#include <algorithm>
#include <cstring>

namespace {

// The device drops a half-received request after this pause.
constexpr auto kFrameTimeout = std::chrono::seconds(1);

} // namespace

OSimDevice::OSimDevice(OSimCard& card, const SimFaults& faults)
    : m_Card(card), m_Faults(faults), m_InitReport(DefaultInitReport()), m_LineBaud(BASE_BAUD)
{
    AddCommand(CMD_STOP, 0, [this](const uint8_t*, TimePoint now) { OnStop(now); });
    AddCommand(CMD_READ_SECTOR, 5, [this](const uint8_t* p, TimePoint now) { OnReadSector(p, now); });
    AddCommand(CMD_STREAM_SECTORS, 6, [this](const uint8_t* p, TimePoint now) { OnStreamSectors(p, now); });
    AddCommand(CMD_GET_FIRST_FREE, 0, [this](const uint8_t*, TimePoint now) { OnGetFirstFree(now); });
    AddCommand(CMD_SET_FIRST_FREE, 8, [this](const uint8_t* p, TimePoint now) { OnSetFirstFree(p, now); });
    AddCommand(CMD_INIT_CARD, 0, [this](const uint8_t*, TimePoint now) { OnInitCard(now); });
}

std::vector<uint8_t> OSimDevice::DefaultInitReport()
{
    // An SD version 2 high-capacity card that initialises without trouble:
    // CMD0 idle, CMD8 accepted with the echo 1AA, ACMD41 done, OCR powered up
    // with the capacity bit, status: version 2, HC, success.
    return {TAG_INIT, 0x00, 0x01, 0x00, 0x00, 0x01, 0xAA, 0x00, 0x00, 0xC0, 0xFF, 0x80, 0x00, 0x07};
}

void OSimDevice::AddCommand(uint8_t code, int paramLength, Handler handler)
{
    m_Commands[code] = {paramLength, std::move(handler)};
}

void OSimDevice::Receive(const uint8_t* data, size_t length, TimePoint now, int pcBaud)
{
    if (length == 0 || m_Faults.silent)
        return;
    const bool garbled = pcBaud != 0 && pcBaud != m_LineBaud;
    // Whatever the device hears during a stream ends it; it falls back to
    // 57600 and listens for the STOP that follows.
    if (m_StreamActive || m_LineBaud != BASE_BAUD)
        EndStream();
    if (garbled) {
        ResetParser();
        return;
    }
    for (size_t i = 0; i < length; ++i)
        if (!m_TakeRaw || !m_TakeRaw(data[i], now))
            Parse(data[i], now);
}

void OSimDevice::Parse(uint8_t byte, TimePoint now)
{
    if (m_ParseState != ParseState::Idle && now - m_LastByte > kFrameTimeout)
        ResetParser();
    m_LastByte = now;
    switch (m_ParseState) {
    case ParseState::Idle:
    case ParseState::Prefix:
        if (byte == CMD_PREFIX) {
            m_ParseState = ParseState::Prefix;
            if (m_OnPrefix)
                m_OnPrefix(now);
            return;
        }
        if (m_ParseState == ParseState::Idle)
            return; // noise between requests
        if (const auto found = m_Commands.find(byte); found != m_Commands.end()) {
            m_Code = byte;
            m_Params.clear();
            m_ParseState = ParseState::Params;
            if (found->second.paramLength == 0) {
                m_ParseState = ParseState::Idle;
                found->second.handler(nullptr, now);
            }
        } else {
            m_ParseState = ParseState::Idle;
        }
        return;
    case ParseState::Params: {
        m_Params.push_back(byte);
        const Command& command = m_Commands.at(m_Code);
        if (static_cast<int>(m_Params.size()) >= command.paramLength) {
            m_ParseState = ParseState::Idle;
            const std::vector<uint8_t> params = m_Params;
            command.handler(params.data(), now);
        }
        return;
    }
    }
}

void OSimDevice::EndStream()
{
    m_StreamActive = false;
    m_Out.clear();
    m_LineBaud = BASE_BAUD;
}

void OSimDevice::Reply(std::vector<uint8_t> bytes, TimePoint due)
{
    if (!bytes.empty())
        m_Out.push_back({std::move(bytes), 0, due, m_LineBaud});
}

void OSimDevice::ReplyWithNoise(std::vector<uint8_t> bytes, TimePoint now)
{
    if (m_Faults.garbage) {
        // Never a tag, token or STOP-OK byte, so it cannot pass for an answer.
        static const uint8_t noise[] = {0xFF, 0x00, 0xF0};
        bytes.insert(bytes.begin(), std::begin(noise), std::end(noise));
    }
    Reply(std::move(bytes), now);
}

bool OSimDevice::ReplyTagged(std::vector<uint8_t> bytes, TimePoint now)
{
    bool intact = !m_Faults.garbage;
    if (m_Faults.wrongTag) {
        bytes[0] = '?';
        intact = false;
    }
    if (m_Faults.shortReply) {
        bytes.pop_back();
        intact = false;
    }
    ReplyWithNoise(std::move(bytes), now);
    return intact;
}

size_t OSimDevice::Transmit(uint8_t* out, size_t max, TimePoint now, int& baud)
{
    if (m_Out.empty() && m_OnIdle)
        m_OnIdle(now);
    if (m_Out.empty() && m_StreamActive)
        QueueNextFrame(now);
    if (m_Out.empty() || m_Out.front().due > now || max == 0)
        return 0;
    Segment& segment = m_Out.front();
    baud = segment.baud;
    const size_t count = std::min(max, segment.bytes.size() - segment.sent);
    std::memcpy(out, segment.bytes.data() + segment.sent, count);
    segment.sent += count;
    if (segment.sent == segment.bytes.size())
        m_Out.pop_front();
    return count;
}

std::optional<OSimDevice::TimePoint> OSimDevice::NextDue(TimePoint now) const
{
    if (!m_Out.empty())
        return m_Out.front().due;
    if (m_StreamActive)
        return now;
    return std::nullopt;
}

int OSimDevice::NextBaud() const
{
    return m_Out.empty() ? m_LineBaud : m_Out.front().baud;
}
