// Sector reads with their CRC or signature check, the read check, and the
// test for sectors of a recording.
#include "ODevice.h"

#include "DeviceCommands.h"
#include "OComPort.h"
#include "OConsole.h"
#include "StrFormat.h"

#include <algorithm>
#include <cstring>

bool ODevice::ReadSector(uint32_t sector, int length, uint8_t* destination)
{
    m_ReadErrorText.clear();
    m_ReadUnanswered = false;
    if (length < 1)
        return false;
    if (m_Port.LastReadError.load() != 0) {
        // The reader stopped on a hang-up: nothing more will be heard.
        m_ReadErrorText = "Связь с устройством потеряна: COM-порт сообщил об обрыве линии";
        m_ReadUnanswered = true;
        return false;
    }
    length = std::min(length, 512);
    const int words = (length + 1) / 2;
    SendRequest(MakeReadSectorRequest(sector, static_cast<uint8_t>(words & 0xFF)));

    uint8_t status = 0;
    if (!m_Port.WaitAndTake(&status, 1, 1000)) {
        m_ReadErrorText = "В ответ на команду чтения SD-карты от устройства не пришло ответа \n";
        m_ReadUnanswered = true;
        return false;
    }
    if (status != DATA_TOKEN) {
        m_ReadErrorText = StrFormat("Чтение SD-карты неудачно, ответ %02x. Адрес сектора не допустим или SD-карта "
                                    "не инициализирована",
                                    status);
        return false;
    }
    uint8_t reply[512 + 2];
    const int dataBytes = 2 * words;
    if (!m_Port.WaitAndTake(reply, dataBytes + 2, 1000)) {
        m_ReadErrorText = "В ответ на команду чтения SD-карты не поступило требуемых данных";
        m_ReadUnanswered = true;
        return false;
    }
    const uint8_t first = reply[dataBytes];
    const uint8_t second = reply[dataBytes + 1];
    if (words == 256) {
        const uint16_t crc = SectorCrc(reply);
        if (first != (crc >> 8) || second != (crc & 0xFF)) {
            m_ReadErrorText = "Ошибка CRC, переданные устройством данные не верны.";
            return false;
        }
    } else if (first != PARTIAL_READ_SIGNATURE[0] || second != PARTIAL_READ_SIGNATURE[1]) {
        m_ReadErrorText = "Ошибка сигнатуры, переданные устройством данные не верны.";
        return false;
    }
    std::memcpy(destination, reply, static_cast<size_t>(length));
    return true;
}

void ODevice::ReadCheck()
{
    ReadCheckFrames(1000000000);
}

int ODevice::ReadCheckFrames(int maxFrames)
{
    if (!StartReadCheck())
        return -1;
    const int frames = DumpReadCheckFrames(maxFrames);
    EndReadCheck();
    return frames;
}

bool ODevice::StartReadCheck()
{
    return StartStream(0x1E3D70, 2);
}

int ODevice::DumpReadCheckFrames(int maxFrames, const std::atomic<bool>* cancel)
{
    constexpr int kSilenceMs = 2000;
    // Waits are cut into slices so that a cancel is seen at once.
    constexpr int kSliceMs = 20;
    const auto cancelled = [cancel] { return cancel && cancel->load(std::memory_order_acquire); };
    int frames = 0;
    for (; frames < maxFrames && !cancelled(); ++frames) {
        // One frame of this stream: token, two data bytes, two check bytes.
        uint8_t frame[5] = {};
        int received = 0;
        const uint32_t start = TickCountMs();
        while (received < 5 && !cancelled() && static_cast<int32_t>(TickCountMs() - start) <= kSilenceMs) {
            int got = 0;
            m_Port.ReadWithTimeout(frame + received, 5 - received, got, kSliceMs);
            received += got;
        }
        if (received == 0)
            break;
        Console().Write(StrFormat("RdSz = %d mark = %X LB = %X, %X, %X, %X\n", received, frame[0], frame[1], frame[2],
                                  frame[3], frame[4]));
    }
    return frames;
}

void ODevice::EndReadCheck()
{
    Console().Write("RETURN \n");
    StopExchange();
}

bool ODevice::IsRecordingMember(uint32_t n, uint8_t header[8])
{
    if (n < FIRST_RECORDING_SECTOR || !ReadSector(n, 8, header))
        return false;
    const uint32_t first = GetU32(header + 4);
    return GetU32(header) == RECORDING_SIGNATURE && first >= FIRST_RECORDING_SECTOR && first <= n;
}

bool ODevice::IsRecordingSector(uint32_t n, uint8_t header[8])
{
    if (!IsRecordingMember(n, header))
        return false;
    const uint32_t first = GetU32(header + 4);
    uint8_t firstHeader[8];
    if (!ReadSector(first, 8, firstHeader))
        return false;
    return GetU32(firstHeader) == RECORDING_SIGNATURE && GetU32(firstHeader + 4) == first;
}
