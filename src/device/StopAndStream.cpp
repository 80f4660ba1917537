// STOP, the verified STOP that ends every stream, and the start of a sector
// stream with the switch of the line speed.
#include "ODevice.h"

#include "DeviceCommands.h"
#include "OComPort.h"
#include "OConsole.h"
#include "ODialogs.h"
#include "StrFormat.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr const char* kStreamCaption = "ОШИБКА ЧТЕНИЯ SD карты";

void SleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void ShowStreamError(const std::string& text)
{
    Dialogs().Message(text, kStreamCaption, MsgIcon::Error, MsgButtons::Ok);
}

bool ElapsedMoreThan(uint32_t since, int ms)
{
    return static_cast<int32_t>(TickCountMs() - since) > ms;
}

} // namespace

void ODevice::SendStop()
{
    ReturnToBaseSpeed();
    SendRequest(MakeRequest(CMD_STOP));
    if (m_SetMode)
        m_SetMode(1);
}

bool ODevice::StopExchange()
{
    ReturnToBaseSpeed();
    // A reader stopped by a hang-up or a read error hears nothing more until
    // the port is opened again; STOP sent into a dead line only fails.
    if (m_Port.LastReadError.load() != 0)
        return false;
    int confirmations = 0;
    int attempts = 0;
    const uint32_t start = TickCountMs();
    while (confirmations < 4) {
        SendRequest(MakeRequest(CMD_STOP));
        const uint32_t sent = TickCountMs();
        if (static_cast<int32_t>(sent - start) > 5000)
            break;
        // Whatever a running stream still delivers is drained here; the device
        // counts as quiet only when STOP-OK is the last thing heard.
        while (!ElapsedMoreThan(sent, 1000)) {
            const int available = m_Port.Available();
            if (available >= 4) {
                m_Port.Skip(available);
                const bool stopOk = m_Port.PeekByte(-4) == STOP_OK[0] && m_Port.PeekByte(-3) == STOP_OK[1] &&
                                    m_Port.PeekByte(-2) == STOP_OK[2] && m_Port.PeekByte(-1) == STOP_OK[3];
                if (stopOk) {
                    SleepMs(10);
                    if (m_Port.Available() == 0) {
                        ++confirmations;
                        Console().Write("Получен ответ STOP-OK!\n");
                        break;
                    }
                }
            }
            SleepMs(2);
        }
        if (++attempts >= 10)
            break;
    }
    return confirmations >= 2;
}

bool ODevice::StartStream(uint32_t firstSector, int bytesPerSector)
{
    const int n = std::clamp(bytesPerSector, 2, 512) & ~1;
    const int position = std::clamp(m_FastSpeedSelectorPos, 0, 3);
    const int code = std::clamp(kSpeedList[position].code, 0, 15);
    SendRequest(MakeStreamRequest(firstSector, static_cast<uint8_t>((n / 2) & 0xFF), static_cast<uint8_t>(code)));

    uint8_t reply[3] = {};
    if (m_Port.WaitAndPeek(reply, 2, 1000) < 2 || reply[0] != TAG_STREAM) {
        ShowStreamError(MissingOrWrong("Нет реакции прибора на команду последовательного чтения SD-карты.\n",
                                       "Неверная реакция прибора ЭКГ на команду последовательного чтения SD-карты.\n") +
                        NoAnswerHint);
        return false;
    }
    if (reply[1] != 0) {
        m_Port.Skip(2);
        ShowStreamError(StrFormat("SD - картой отказано в чтении SD - карты с начального сектора 0x%x, код возврата "
                                  "0x%02x. Сектор вне диапазона или карта не инициализирована",
                                  firstSector, reply[1]));
        return false;
    }
    if (m_Port.WaitAndPeek(reply, 3, 1000) < 3) {
        ShowStreamError(std::string("Неверная реакция прибора ЭКГ на команду последовательного чтения SD-карты.\n") +
                        NoAnswerHint);
        return false;
    }
    m_Port.Skip(3);
    if (reply[2] != SpeedCodeEcho(code)) {
        ShowStreamError(StrFormat("Возвращенный устройством код скорости обмена %02x не соответствует заданному "
                                  "компом. Может быть указанная компом скорость обмена не поддерживается ЭКГ - "
                                  "устройством",
                                  reply[2]));
        return false;
    }
    if (code == 0)
        return true;

    if (!m_Port.SetSpeed(SpeedCodeBaud(code))) {
        ShowStreamError(m_Port.LastErrorText);
        return false;
    }
    m_FastSpeedActive = code;
    SleepMs(400);
    m_Port.Purge();
    uint8_t pattern[4] = {};
    const bool arrived = m_Port.WaitAndTake(pattern, 4, 2000);
    const uint32_t value = arrived ? GetU32(pattern) : 0;
    if (value == SPEED_CHECK_PATTERN)
        return true;
    ShowStreamError(StrFormat("После переключения скорости COM-порта принятые данные были искажены (шаблон %08x). "
                              "Ошибка механизма переключения скорости или же при передаче данных (выбирите другую "
                              "скорость обмена, например стандартную 57600 бод)",
                              value));
    SendStop();
    return false;
}
