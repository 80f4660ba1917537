#include "SimTestCommands.h"

#include "DeviceCommands.h"
#include "OSimCard.h"

OSimTestCommands::OSimTestCommands(OSimDevice& device) : m_Device(device)
{
    device.AddCommand(CMD_FILL_SECTOR, 5, [this](const uint8_t* p, OSimDevice::TimePoint now) { OnFill(p, now); });
    device.AddCommand(CMD_WRITE_SOUND, 4,
                      [this](const uint8_t* p, OSimDevice::TimePoint now) { OnWriteSound(p, now); });
    device.AddCommand(CMD_PLAY_SOUND, 4, [this](const uint8_t*, OSimDevice::TimePoint) {
        std::lock_guard lock(m_Mutex);
        ++m_Plays;
    });
    device.m_TakeRaw = [this](uint8_t byte, OSimDevice::TimePoint now) { return TakeSoundByte(byte, now); };
}

void OSimTestCommands::OnFill(const uint8_t* params, OSimDevice::TimePoint now)
{
    // The address counts bytes; the card is written a whole block at a time.
    const uint32_t sector = GetU32(params) / 512;
    const std::vector<uint8_t> block(512, params[4]);
    const bool written = m_Device.Card().WriteSector(sector, block.data());
    {
        std::lock_guard lock(m_Mutex);
        m_Fills += written ? 1 : 0;
    }
    m_Device.Reply({0x00, static_cast<uint8_t>(written ? 0xE5 : 0xE4)}, now);
}

void OSimTestCommands::OnWriteSound(const uint8_t* params, OSimDevice::TimePoint now)
{
    m_SoundAddress = GetU32(params);
    m_SoundBlock.clear();
    m_ReceivingSound = true;
    m_Device.Reply({0x00}, now);
}

bool OSimTestCommands::TakeSoundByte(uint8_t byte, OSimDevice::TimePoint now)
{
    if (!m_ReceivingSound)
        return false;
    m_SoundBlock.push_back(byte);
    if (m_SoundBlock.size() == 512) {
        m_ReceivingSound = false;
        {
            std::lock_guard lock(m_Mutex);
            m_Sound[m_SoundAddress] = m_SoundBlock;
        }
        m_Device.Reply({0xE5}, now);
    }
    return true;
}

std::map<uint32_t, std::vector<uint8_t>> OSimTestCommands::SoundBlocks() const
{
    std::lock_guard lock(m_Mutex);
    return m_Sound;
}

int OSimTestCommands::PlayCount() const
{
    std::lock_guard lock(m_Mutex);
    return m_Plays;
}

int OSimTestCommands::FillCount() const
{
    std::lock_guard lock(m_Mutex);
    return m_Fills;
}
