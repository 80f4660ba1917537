#include "ODownload.h"

#include "OComPort.h"
#include "Fatal.h"
#include "ODevice.h"
#include "RecordingFile.h"
#include "RecordingFormat.h"
#include "StrFormat.h"

const char* DataErrorTokenName(uint8_t token)
{
    switch (token) {
    case 0x08:
        return "(out of range)";
    case 0x04:
        return "(Card ECC Failed)";
    case 0x02:
        return "(CC Error)";
    case 0x01:
        return "(Error)";
    default:
        return "";
    }
}

ODownload::ODownload(OComPort& port, ORecordingFile& file, uint32_t totalSectors, uint32_t nowMs, DownloadWatch watch)
    : m_Port(port), m_File(file), m_TotalSectors(totalSectors), m_Watch(watch), m_StartTime(nowMs),
      m_LastTickTime(nowMs), m_LastArrival(nowMs)
{
}

ODownload::State ODownload::Drain()
{
    uint8_t frame[kStreamFrameSize];
    while (m_State == State::Running) {
        if (m_Port.Available() < 1)
            break;
        const uint8_t token = m_Port.PeekByte(0);
        if (token != kGoodSectorToken)
            return Stop(StrFormat("Ошибка чтения, ответ SD-карты = 0x%02x %s вместо 0xfe, было загружено %d кбайт",
                                  token, DataErrorTokenName(token), int(m_ReceivedSectors / 2)));
        if (!m_Port.Take(frame, kStreamFrameSize))
            break;
        m_TakenBytes += kStreamFrameSize;
        const uint8_t* sector = frame + 1;
        const uint16_t crc = SectorCrc(sector);
        if (frame[513] != uint8_t(crc >> 8) || frame[514] != uint8_t(crc))
            return Stop("Ошибка чтения или передачи данных, CRC нарушена");
        if (ReadLE32(sector) != kRecordingSignature)
            return Stop(StrFormat("Неверный идентификатор файла в 0x%x секторе от началаю\nФайл усечен (загружен "
                                  "не полностью)",
                                  m_ReceivedSectors));
        if (!m_File.AppendSector(sector))
            return Stop(StrFormat("Ошибка записи данных в файл\n%s\n", m_File.Path().c_str()));
        ++m_ReceivedSectors;
        ++m_SectorsSinceProgress;
        if (m_TotalSectors != 0 && m_ReceivedSectors >= m_TotalSectors)
            m_State = State::Finished;
    }
    return m_State;
}

ODownload::State ODownload::Tick(uint32_t nowMs)
{
    // The reader publishes every byte it read before it reports the failure:
    // read the error first, so the frames that came before it still count.
    const uint32_t portError = m_Port.LastReadError.load();
    if (Drain() != State::Running)
        return m_State;
    const uint64_t seen = m_TakenBytes + uint64_t(m_Port.Available());
    if (seen != m_BytesSeen) {
        m_BytesSeen = seen;
        m_LastArrival = nowMs;
    }
    if (portError != 0) {
        m_PortError = portError;
        return Stop("Ошибка при чтении данных с выбранного порта\n" + SystemErrorText(portError) +
                    "\nСкачивание прервано. " + KeptText() + "\nПопробуйте выбрать порт заново");
    }
    if (SilentMs(nowMs) >= m_Watch.stopAfterMs)
        return Stop(StrFormat("Нет данных от устройства %u с, скачивание прервано.\n", m_Watch.stopAfterMs / 1000) +
                    KeptText());
    return m_State;
}

std::string ODownload::KeptText() const
{
    return StrFormat("Проверенных секторов в файле: %u (%u кбайт)", m_ReceivedSectors, m_ReceivedSectors / 2);
}

std::string ODownload::SummaryText(uint32_t nowMs) const
{
    const char* path = m_File.Path().c_str();
    const int kbytes = int(m_ReceivedSectors / 2);
    if (m_State == State::Finished)
        return StrFormat("Файл %s скачан: %d кбайт за %0.1f с", path, kbytes, (nowMs - m_StartTime) / 1000.0);
    return StrFormat("Скачивание прервано, файл %s содержит первые %d кбайт", path, kbytes);
}

ODownload::State ODownload::Stop(std::string text)
{
    m_StopText = std::move(text);
    m_State = State::Stopped;
    return m_State;
}

std::string ODownload::ProgressText(uint32_t nowMs)
{
    const uint32_t interval = nowMs - m_LastTickTime;
    // Kilobytes (1024 bytes) per second from bytes per millisecond.
    const double speed = interval == 0 ? 0.0 : m_SectorsSinceProgress * 512.0 / interval * 0.9765625;
    m_SectorsSinceProgress = 0;
    m_LastTickTime = nowMs;
    const char* path = m_File.Path().c_str();
    std::string text = m_TotalSectors != 0 ? StrFormat("%s\nЗагружено %d кбайт из %d, скорость %0.1f кбайт/сек", path,
                                                       int(m_ReceivedSectors / 2), int(m_TotalSectors / 2), speed)
                                           : StrFormat("%s\nЗагружено %d кбайт, скорость %0.1f кбайт/сек", path,
                                                       int(m_ReceivedSectors / 2), speed);
    if (SilentMs(nowMs) >= m_Watch.noteAfterMs)
        text += StrFormat("\nНет данных от устройства %u с", SilentMs(nowMs) / 1000);
    return text;
}

int ODownload::ProgressPosition() const
{
    return m_TotalSectors != 0 ? int(m_ReceivedSectors) : int(m_ReceivedSectors % 2048);
}

int ODownload::ProgressMaximum() const
{
    return m_TotalSectors != 0 ? int(m_TotalSectors - 1) : 2047;
}
