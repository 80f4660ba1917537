// The card initialisation report: the device runs the card's power-up
// sequence and answers with each step's result; the PC only reports it.
#include "ODevice.h"

#include "DeviceCommands.h"
#include "OComPort.h"
#include "ODialogs.h"
#include "StrFormat.h"

namespace {

constexpr int kStageTimeoutMs = 2000;

} // namespace

InitCardReport ODevice::RequestInitReport()
{
    SendRequest(MakeRequest(CMD_INIT_CARD));
    // Only peeked while it grows: a reply that stops short stays in the buffer.
    uint8_t r[14] = {};
    const auto missing = [this] {
        return MissingOrWrong("Устройство ЭКГ не ответило на команду с компа.\n",
                              "В ответ на команду получено меньше данных, чем ожидалось.\n") +
               NoAnswerHint;
    };
    if (m_Port.WaitAndPeek(r, 3, kStageTimeoutMs) < 3)
        return {missing(), false};
    if (r[0] != TAG_INIT)
        return {std::string("Неверный отклик прибора на команду инициализации SD карты\n") + NoAnswerHint, false};

    std::string text = StrFormat("Ответ на CMD0_GO_IDLE_STATE = %02x", static_cast<uint8_t>(r[1] + 1));
    int length = 0;
    if (r[1] != 0) {
        text += " - неверный ответ\n";
        length = 3;
    } else {
        text += " - выполнена\n";
        if (m_Port.WaitAndPeek(r, 9, kStageTimeoutMs) < 9)
            return {missing(), false};
        text += StrFormat("Ответ на CMD8_SEND_IF_COND = %02x, %02x%02x%02x%02x", r[2], r[3], r[4], r[5], r[6]);
        text += r[2] == 0x01 ? " - принята, это SD версии 2.0 или выше\n" : " - отвергнута, это не SD версии >= 2.0\n";
        if (r[7] != 0) {
            text += StrFormat("Ответ на CMD1(ACMD41) = %02x - инициализация не удалась\n", r[7]);
            length = 9;
        } else {
            text += "Инициализация командой (CMD1/ACMD41) успешна\n";
            if (m_Port.WaitAndPeek(r, 14, kStageTimeoutMs) < 14)
                return {missing(), false};
            text += StrFormat("Ответ на CMD58_READ_OCR = %02x, %02x%02x%02x%02x", r[8], r[9], r[10], r[11], r[12]);
            if (r[8] != 0) {
                text += " - отвергнута\n";
            } else {
                text += " - успех: ";
                if (r[9] & 0x80)
                    text += "включена ";
                if (r[9] & 0x40)
                    text += "HC ";
                text += "\n";
            }
            length = 14;
        }
    }

    const uint8_t status = m_Port.PeekByte(length - 1);
    m_Port.Skip(length);
    text += "\nУСТРОЙСТВО СООБЩАЕТ РЕЗУЛЬТАТ ИНИЦИАЛИЗАЦИИ SD/MMC карты\n";
    const bool success = (status & 0x04) != 0;
    text += success ? std::string(" - инициализирована успешно\n")
                    : StrFormat(" - ошибка инициализации (MMC_InitStatus = %02x)\n", status);
    text += (status & 0x01) ? " - версия SD >= 2.0\n" : " - версия SD 1.x\n";
    if (status & 0x02)
        text += " - SD HC\n";
    return {text, success};
}

void ODevice::InitCard()
{
    const InitCardReport report = RequestInitReport();
    Dialogs().Message(report.text, "ИНИЦИАЛИЗАЦИЯ SD/MMC КАРТЫ", report.success ? MsgIcon::Information : MsgIcon::Error,
                      MsgButtons::Ok);
}
