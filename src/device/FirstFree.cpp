// The device's first free sector: read three times, set with a check word and
// verified by reading back, and the two buttons that set it.
#include "ODevice.h"

#include "DeviceCommands.h"
#include "DeviceReplies.h"
#include "OComPort.h"
#include "ODialogs.h"
#include "StrFormat.h"

#include <cctype>

namespace {

constexpr const char* kErrorCaption = "ОШИБКА";

void ShowError(const std::string& text)
{
    Dialogs().Message(text, kErrorCaption, MsgIcon::Error, MsgButtons::Ok);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<uint32_t> ParseHexSectorText(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        HexDigit(text[i + 2]) >= 0)
        i += 2;
    if (i >= text.size() || HexDigit(text[i]) < 0)
        return std::nullopt;
    // Like "%x", reading stops at the first character that is not a digit; a
    // number too big for a sector number is refused rather than cut short.
    uint64_t value = 0;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        value = value * 16 + static_cast<uint64_t>(HexDigit(text[i]));
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

bool ODevice::GetFirstFreeSector(uint32_t& value)
{
    uint32_t first = 0;
    for (int i = 0; i < 3; ++i) {
        SendRequest(MakeRequest(CMD_GET_FIRST_FREE));
        uint8_t reply[5] = {};
        const std::optional<uint32_t> read =
            m_Port.WaitAndPeek(reply, 5, 2000) < 5 ? std::nullopt : FirstFreeFromReply(reply);
        if (!read) {
            ShowError(std::string("Устройство ЭКГ не ответило или ответило неверно на запрос первого свободного "
                                  "сектора.\n") +
                      NoAnswerHint);
            return false;
        }
        m_Port.Skip(5);
        if (i == 0) {
            first = *read;
        } else if (*read != first) {
            ShowError("Устройство ЭКГ недостоверно отвечает на запросы номера первого свободного сектора. Проверьте "
                      "связь и переведите устройство из режима записи ЭКГ в режим считывания данных с SD - карты");
            return false;
        }
    }
    value = first;
    return true;
}

bool ODevice::SetFirstFreeSector(uint32_t value)
{
    uint32_t previous = 0;
    if (!GetFirstFreeSector(previous))
        return false;
    SendRequest(MakeSetFirstFreeRequest(value));
    uint8_t reply = 0;
    if (m_Port.WaitAndPeek(&reply, 1, 1000) < 1 || reply != TAG_FIRST_FREE) {
        const std::string text =
            m_Port.Available() > 0
                ? StrFormat("Устройство ЭКГ ответило неверно команду установки номера первого свободного сектора "
                            "(возможно разрушение этого ключевого параметра, проверьте. Предудущее значение 0x%x, "
                            "устанавливаемое 0x%x).\n",
                            previous, value)
                : StrFormat("Устройство ЭКГ не ответило на команду установки номера первого свободного сектора "
                            "(предыдущее значение 0x%x).\n",
                            previous);
        ShowError(text + NoAnswerHint);
        return false;
    }
    m_Port.Skip(1);
    uint32_t now = 0;
    if (!GetFirstFreeSector(now)) {
        ShowError(StrFormat("Не удалось прочесть с устройства ЭКГ новое значение номера первого свободного сектора "
                            "(предыдущее значение 0x%x, устанавливаемое 0x%x). Следует проверить корректность "
                            "установки вручную!!!",
                            previous, value));
        return false;
    }
    if (now != value) {
        ShowError(StrFormat("Новое значение номера первого свободного сектора 0x%x отличается от заданного 0x%x "
                            "(предыдущее значение 0x%x). Следует проверить корректность установки вручную!!!",
                            now, value, previous));
        return false;
    }
    Dialogs().Message(StrFormat("Установлено новое значение номера первого свободного сектора 0x%x.\nПредыдущее "
                                "значение 0x%x (рекомендуется сохранить)",
                                now, previous),
                      "ДЕЙСТВИЕ ВЫПОЛНЕНО", MsgIcon::Information, MsgButtons::Ok);
    return true;
}

std::optional<std::string> ODevice::ShowFirstFreeSector()
{
    uint32_t value = 0;
    if (!GetFirstFreeSector(value))
        return std::nullopt;
    return StrFormat("0x%x", value);
}

std::optional<std::string> ODevice::SetFirstFreeSectorByHand(const std::string& editText)
{
    const std::optional<uint32_t> value = ParseHexSectorText(editText);
    if (!value) {
        ShowError("Надо ввести в поле шестнадцатиричное число");
        return std::nullopt;
    }
    const std::string question = StrFormat(
        "Функция ручной установки номера первого свободного сектора предназначена исключительно для востановления "
        "доступа к данным при сбоях. При ошибочном задании параметра ЗАПИСАННЫЕ РАНЕЕ ФАЙЛЫ СТАНУТ НЕ ДОСТУПНЫМИ "
        "!!!\nОбычно при штатной эксплуатации устройства номер первого свободного сектора модифицируется "
        "автоматически по ходу записи новых ЭКГ данных; пользователю достаточно использования команды "
        "'Форматирование' при установке новой SD-карты.\nВы уверены, что желаете НА СВОЙ СОБСТВЕННЫЙ СТРАХ И РИСК "
        "изменить номер первого свободного сектора на заданный Вами вручную (0x%x)?",
        *value);
    if (Dialogs().Message(question, "ПОДТВЕРЖДЕНИЕ", MsgIcon::Question, MsgButtons::YesNoCancelDefaultNo) !=
        MsgResult::Yes)
        return std::nullopt;
    if (!SetFirstFreeSector(*value))
        return std::nullopt;
    return ShowFirstFreeSector();
}

std::optional<std::string> ODevice::FormatCard()
{
    const char* question =
        "В данном устройстве ЭКГ запись информации на SD-карту осуществляется последовательно, сектор за сектором. "
        "Номер первого свободного сектора, в который ещё не осуществлялась запись данных, хранится во флэш памяти "
        "микроконтроллера. По мере записи данных номер первого свободного сектора постоянно возрастает. \nВыбранная "
        "Вами команда 'форматирования' установит номер первого свободного сектора равным минимальному допустимому "
        "значению 65536 (первые 32Мб не используются, чтобы не затереть 'настоящее' форматирование SD-карты). "
        "Фактически 'форматирование' в данном устройстве это 'перемотка на начало'.\nВ РЕЗУЛЬТАТЕ ФОРМАТИРОВАНИЯ "
        "ЗАПИСАННЫЕ РАНЕЕ ФАЙЛЫ СТАНУТ НЕ ДОСТУПНЫМИ !!! Запись будет вестись поверх них!!! Как правило, выполнять "
        "'форматирование' требуется достаточно редко - при смене SD-карты или полном исчертании её объема. "
        "Целесообразно на всякий случай сохранить текущий номер первого свободного сектора. \nВы уверены, что "
        "необходимо выполнить 'форматирование' ???";
    if (Dialogs().Message(question, "ВОПРОС - ФОРМАТИРОВАТЬ", MsgIcon::Question, MsgButtons::YesNoCancelDefaultNo) !=
        MsgResult::Yes)
        return std::nullopt;
    // The edit is emptied first: after a failure it shows no stale value.
    SetFirstFreeSector(FIRST_RECORDING_SECTOR);
    return std::string();
}
