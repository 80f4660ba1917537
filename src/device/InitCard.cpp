// The card initialisation report: the device runs the card's power-up
// sequence and answers with each step's result; the PC only reports it.
#include "ODevice.h"

#include "DeviceCommands.h"
#include "DeviceReplies.h"
#include "OComPort.h"
#include "ODialogs.h"

namespace {

constexpr int kStageTimeoutMs = 2000;

} // namespace

InitCardReport ODevice::RequestInitReport()
{
    SendRequest(MakeRequest(CMD_INIT_CARD));
    // Only peeked while it grows: a reply that stops short stays in the buffer.
    uint8_t r[kInitReplyMaxLength] = {};
    const auto missing = [this] {
        return MissingOrWrong("Устройство ЭКГ не ответило на команду с компа.\n",
                              "В ответ на команду получено меньше данных, чем ожидалось.\n") +
               NoAnswerHint;
    };
    int length = 3;
    for (int known = 0; known < length;) {
        if (m_Port.WaitAndPeek(r, length, kStageTimeoutMs) < length)
            return {missing(), false};
        if (r[0] != TAG_INIT)
            return {std::string("Неверный отклик прибора на команду инициализации SD карты\n") + NoAnswerHint, false};
        known = length;
        length = InitReplyLength(r, known);
    }
    m_Port.Skip(length);
    return InitReportFromReply(r, length);
}

void ODevice::InitCard()
{
    const InitCardReport report = RequestInitReport();
    Dialogs().Message(report.text, "ИНИЦИАЛИЗАЦИЯ SD/MMC КАРТЫ", report.success ? MsgIcon::Information : MsgIcon::Error,
                      MsgButtons::Ok);
}
