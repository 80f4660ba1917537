#include "DeviceReplies.h"

#include "DeviceCommands.h"
#include "StrFormat.h"

int InitReplyLength(const uint8_t* r, int known)
{
    if (r[1] != 0)
        return 3;
    if (known < 9)
        return 9;
    return r[7] != 0 ? 9 : 14;
}

InitCardReport InitReportFromReply(const uint8_t* r, int length)
{
    std::string text = StrFormat("Ответ на CMD0_GO_IDLE_STATE = %02x", static_cast<uint8_t>(r[1] + 1));
    if (length == 3) {
        text += " - неверный ответ\n";
    } else {
        text += " - выполнена\n";
        text += StrFormat("Ответ на CMD8_SEND_IF_COND = %02x, %02x%02x%02x%02x", r[2], r[3], r[4], r[5], r[6]);
        text += r[2] == 0x01 ? " - принята, это SD версии 2.0 или выше\n" : " - отвергнута, это не SD версии >= 2.0\n";
        if (length == 9) {
            text += StrFormat("Ответ на CMD1(ACMD41) = %02x - инициализация не удалась\n", r[7]);
        } else {
            text += "Инициализация командой (CMD1/ACMD41) успешна\n";
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
        }
    }

    const uint8_t status = r[length - 1];
    text += "\nУСТРОЙСТВО СООБЩАЕТ РЕЗУЛЬТАТ ИНИЦИАЛИЗАЦИИ SD/MMC карты\n";
    const bool success = (status & 0x04) != 0;
    text += success ? std::string(" - инициализирована успешно\n")
                    : StrFormat(" - ошибка инициализации (MMC_InitStatus = %02x)\n", status);
    text += (status & 0x01) ? " - версия SD >= 2.0\n" : " - версия SD 1.x\n";
    if (status & 0x02)
        text += " - SD HC\n";
    return {text, success};
}

std::optional<uint32_t> FirstFreeFromReply(const uint8_t* reply)
{
    if (reply[0] != TAG_FIRST_FREE)
        return std::nullopt;
    return GetU32(reply + 1);
}
