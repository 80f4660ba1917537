// The device's answers to STOP, sector reads, sector streams, the first free
// sector and the card initialisation.
#include "OSimDevice.h"

#include "DeviceCommands.h"
#include "OSimCard.h"
#include "SectorCrc.h"

namespace {

// The card's data error token for an address outside the card.
constexpr uint8_t kOutOfRange = 0x08;
// The device changes its own line speed after its answer, and sends the check
// pattern well after the PC's 400 ms pause and purge.
constexpr auto kPatternDelay = std::chrono::milliseconds(700);

} // namespace

void OSimDevice::OnStop(TimePoint now)
{
    ReplyWithNoise({STOP_OK.begin(), STOP_OK.end()}, now);
}

void OSimDevice::AppendCheck(std::vector<uint8_t>& frame, const uint8_t* sector, int dataBytes)
{
    if (dataBytes < 512) {
        frame.insert(frame.end(), PARTIAL_READ_SIGNATURE.begin(), PARTIAL_READ_SIGNATURE.end());
        return;
    }
    uint16_t crc = SectorCrc(sector);
    ++m_WholeSectorReplies;
    if (m_Faults.crcEvery > 0 && m_WholeSectorReplies % m_Faults.crcEvery == 0)
        crc ^= 0x0101;
    const uint8_t high = static_cast<uint8_t>(crc >> 8);
    const uint8_t low = static_cast<uint8_t>(crc);
    if (m_Faults.swapCrc) {
        frame.push_back(low);
        frame.push_back(high);
    } else {
        frame.push_back(high);
        frame.push_back(low);
    }
}

void OSimDevice::OnReadSector(const uint8_t* params, TimePoint now)
{
    const uint32_t sector = GetU32(params);
    const int dataBytes = params[4] == 0 ? 512 : 2 * params[4];
    uint8_t data[512];
    if (!m_Card.ReadSector(sector, data)) {
        ReplyWithNoise({kOutOfRange}, now);
        return;
    }
    std::vector<uint8_t> reply;
    reply.reserve(1 + 512 + 2);
    reply.push_back(DATA_TOKEN);
    reply.insert(reply.end(), data, data + dataBytes);
    AppendCheck(reply, data, dataBytes);
    if (m_Faults.shortReply)
        reply.pop_back();
    ReplyWithNoise(std::move(reply), now);
}

void OSimDevice::OnStreamSectors(const uint8_t* params, TimePoint now)
{
    const uint32_t first = GetU32(params);
    const int dataBytes = params[4] == 0 ? 512 : 2 * params[4];
    const int code = params[5];
    if (!m_Card.Contains(first)) {
        ReplyTagged({TAG_STREAM, kOutOfRange}, now);
        return;
    }
    const bool supported = code <= 15 && !m_Faults.badSpeedEcho;
    const uint8_t echo = supported ? SpeedCodeEcho(code) : static_cast<uint8_t>(SpeedCodeEcho(code & 0x0F) ^ 0x0F);
    // A device that garbled its answer or cannot take the speed stays idle.
    if (!ReplyTagged({TAG_STREAM, 0x00, echo}, now) || !supported)
        return;
    m_StreamNext = first;
    m_StreamBytes = dataBytes;
    m_StreamFrames = 0;
    m_StreamActive = true;
    if (code != 0) {
        m_LineBaud = SpeedCodeBaud(code);
        std::vector<uint8_t> pattern(4);
        PutU32(pattern.data(), SPEED_CHECK_PATTERN);
        if (m_Faults.badPattern)
            pattern[3] ^= 0x01;
        Reply(std::move(pattern), now + kPatternDelay);
    }
}

void OSimDevice::QueueNextFrame(TimePoint now)
{
    uint8_t data[512];
    const bool injectedError = m_Faults.streamErrorAt >= 0 && m_StreamFrames >= m_Faults.streamErrorAt;
    if (injectedError || !m_Card.ReadSector(m_StreamNext, data)) {
        // Nothing follows an error token; the device waits for STOP.
        Reply({injectedError ? m_Faults.errorToken : kOutOfRange}, now);
        m_StreamActive = false;
        return;
    }
    std::vector<uint8_t> frame;
    frame.reserve(1 + 512 + 2);
    frame.push_back(DATA_TOKEN);
    frame.insert(frame.end(), data, data + m_StreamBytes);
    AppendCheck(frame, data, m_StreamBytes);
    // A bit lost on the line: the CRC still belongs to the true sector.
    if (m_Faults.flipEvery > 0 && m_StreamBytes == 512 && (m_StreamFrames + 1) % m_Faults.flipEvery == 0)
        frame[1 + static_cast<size_t>(m_StreamFrames * 37 % 512)] ^= 0x10;
    Reply(std::move(frame), now);
    ++m_StreamNext;
    ++m_StreamFrames;
}

void OSimDevice::OnGetFirstFree(TimePoint now)
{
    uint32_t value = m_Card.FirstFree();
    if (m_Faults.unstableFirstFree && (m_FirstFreeAnswers % 2) == 1)
        ++value;
    ++m_FirstFreeAnswers;
    std::vector<uint8_t> reply(5);
    reply[0] = TAG_FIRST_FREE;
    PutU32(&reply[1], value);
    ReplyTagged(std::move(reply), now);
}

void OSimDevice::OnSetFirstFree(const uint8_t* params, TimePoint now)
{
    const uint32_t value = GetU32(params);
    // A value that fails its check word was garbled on the way: it is not
    // taken, but the answer is the same, so the PC's read-back shows it.
    if (GetU32(params + 4) == FirstFreeCheckWord(value) && !m_Faults.ignoreSet)
        m_Card.SetFirstFree(value);
    if (m_Faults.shortReply) // a one-byte answer cut short is no answer
        return;
    ReplyWithNoise({static_cast<uint8_t>(m_Faults.wrongTag ? '?' : TAG_FIRST_FREE)}, now);
}

void OSimDevice::OnInitCard(TimePoint now)
{
    ReplyTagged(m_InitReport, now);
}
