#include "SimLive.h"

#include "DeviceCommands.h"
#include "OSimCard.h"

#include <vector>

namespace {

// Line noise between packets: never the signature's first byte.
constexpr uint8_t kNoise[] = {0x00, 0x13, 0xFF, 0x5A, 0x00};

} // namespace

OSimLive::OSimLive(OSimDevice& device) : m_Device(device)
{
    device.AddCommand(CMD_START_LIVE, 0, [this](const uint8_t*, OSimDevice::TimePoint now) { Start(now); });
    // While it records the device only listens for the next request: whatever
    // it is, the recording ends (the start command then begins a new one).
    auto previous = device.m_OnPrefix;
    device.m_OnPrefix = [this, previous](OSimDevice::TimePoint now) {
        m_Running.store(false);
        if (previous)
            previous(now);
    };
    device.m_OnIdle = [this](OSimDevice::TimePoint) {
        if (m_Running.load())
            QueueNext();
    };
}

void OSimLive::Start(OSimDevice::TimePoint now)
{
    ORecordingOptions options;
    options.firstSector = m_Device.Card().FirstFree();
    options.ecg.seed = options.firstSector;
    options.ecg.rhythm = m_Rhythm;
    m_Writer = std::make_unique<ORecordingWriter>(options);
    m_FirstSector.store(options.firstSector);
    m_Start = now;
    m_Sent.store(0);
    m_Running.store(true);
}

void OSimLive::QueueNext()
{
    const int64_t index = m_Sent.load();
    std::vector<uint8_t> packet(512 + 3);
    const uint32_t position = m_Writer->NextPosition();
    m_Writer->NextSector(packet.data());
    m_Writer->Model().ClearRPeaks();

    uint8_t flags = 0x08 | kCardBits;
    uint8_t startError = 0, writeError = 0;
    const SimFaults& faults = m_Device.Faults();
    if (faults.cardMissing) {
        flags = 0x04;
        startError = kNoCardStartError;
        writeError = kNoCardWriteError;
    } else if (m_Device.Card().WriteSector(position, packet.data())) {
        m_Device.Card().SetFirstFree(position + 1);
    } else {
        flags = 0x04 | kCardBits; // the card is full
        writeError = kNoCardWriteError;
    }
    packet[512] = flags;
    packet[513] = startError;
    packet[514] = writeError;

    if (faults.liveTruncate && index == 2)
        packet.resize(kTruncatedLength);
    if (faults.liveGarbage)
        packet.insert(packet.begin(), std::begin(kNoise), std::end(kNoise));
    // The first sector is sent once it has been recorded, one period after the start.
    m_Device.Reply(std::move(packet), m_Start + (index + 1) * kPacketPeriod);
    m_Sent.store(index + 1);
}
