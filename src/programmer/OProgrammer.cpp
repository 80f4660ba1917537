#include "OProgrammer.h"

#include "MonitorProtocol.h"
#include "OComPort.h"
#include "OConsole.h"
#include "ODialogs.h"
#include "StrFormat.h"

#include <chrono>
#include <thread>

namespace {

constexpr int kDrainBytes = 8192;
// Progress is reported this often (in words) so that the hook costs nothing.
constexpr int kProgressStep = 64;

void SleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void ShowError(const char* text)
{
    Dialogs().Message(text, "ОШИБКА", MsgIcon::Error, MsgButtons::Ok);
}

} // namespace

OProgrammer::OProgrammer(OComPort& port)
    : m_Image(ErasedImage()), m_DeviceImage(m_Image), m_ReplyTimeoutMs(Monitor::kReplyTimeoutMs), m_Port(port),
      m_Incoming(kDrainBytes)
{
}

void OProgrammer::MonitorSync()
{
    int count = 0;
    m_Port.ReadAvailable(m_Incoming.data(), kDrainBytes, count);
    m_Port.Send(&Monitor::kPrefix, 1);
    SleepMs(10);
    m_Port.ReadAvailable(m_Incoming.data(), kDrainBytes, count);
    m_Port.Send(&Monitor::kEndOfWakeUp, 1);
}

bool OProgrammer::ReadWords(OProgramImage& target, bool& cancelled)
{
    cancelled = false;
    for (int w = 0; w < kProgramWords; ++w) {
        if (w % kProgressStep == 0 && !Progress(w, kProgramWords)) {
            cancelled = true;
            return false;
        }
        const uint8_t request[4] = {Monitor::kPrefix, Monitor::kReadWord, static_cast<uint8_t>(w),
                                    static_cast<uint8_t>(w >> 8)};
        m_Port.Send(request, sizeof request);
        uint8_t reply[2];
        int count = 0;
        m_Port.ReadWithTimeout(reply, 2, count, m_ReplyTimeoutMs);
        if (count != 2) {
            ShowError("Ошибка при считывании !");
            return false;
        }
        target[static_cast<size_t>(2 * w)] = reply[0];
        target[static_cast<size_t>(2 * w + 1)] = reply[1];
    }
    Progress(kProgramWords, kProgramWords);
    return true;
}

bool OProgrammer::ReadDevice()
{
    MonitorSync();
    bool cancelled = false;
    if (!ReadWords(m_Image, cancelled))
        return false;
    Refresh();
    return true;
}

VerifyResult OProgrammer::VerifyDevice()
{
    VerifyResult result;
    MonitorSync();
    bool cancelled = false;
    if (!ReadWords(m_DeviceImage, cancelled)) {
        result.outcome = cancelled ? VerifyResult::Outcome::Cancelled : VerifyResult::Outcome::ReadFailed;
        return result;
    }
    Refresh();
    for (int j = 0; j < kImageBytes; ++j) {
        if (m_Image[static_cast<size_t>(j)] != m_DeviceImage[static_cast<size_t>(j)]) {
            Console().Write("i = ").WriteInt(j).Write("\n");
            ShowError("Данные не совпадают");
            result.outcome = VerifyResult::Outcome::Differs;
            result.firstDifference = j;
            return result;
        }
    }
    Dialogs().Message("Все в порядке, данные одинаковы !", "ОШИБКА", MsgIcon::Exclamation, MsgButtons::Ok);
    result.outcome = VerifyResult::Outcome::Equal;
    return result;
}

WriteResult OProgrammer::WriteDevice()
{
    WriteResult result;
    Console().Write("Начинаю запись \n");
    MonitorSync();
    for (int w = 0; w < kProgramWords; ++w) {
        if (w % kProgressStep == 0 && !Progress(w, kProgramWords)) {
            result.cancelled = true;
            return result;
        }
        const uint8_t request[6] = {Monitor::kPrefix,
                                    Monitor::kWriteWord,
                                    static_cast<uint8_t>(w),
                                    static_cast<uint8_t>(w >> 8),
                                    m_Image[static_cast<size_t>(2 * w)],
                                    m_Image[static_cast<size_t>(2 * w + 1)]};
        m_Port.Send(request, sizeof request);
        uint8_t reply = 0;
        int count = 0;
        m_Port.ReadWithTimeout(&reply, 1, count, m_ReplyTimeoutMs);
        if (count != 1) {
            ShowError("Ошибка при записи !");
            return result;
        }
        if (reply == Monitor::kProtected) {
            ++result.protectedWords;
        } else if (reply != Monitor::kWritten) {
            ShowError("Ошибка при записи - неверный ответ !");
            return result;
        }
    }
    Progress(kProgramWords, kProgramWords);
    result.written = true;
    Console()
        .Write("Конец записи, записано слов = ")
        .WriteInt(kProgramWords)
        .Write(" из них защищено = ")
        .WriteInt(result.protectedWords)
        .Write("\n");
    Console().Write("Начинаю проверку \n");
    result.verify = VerifyDevice();
    return result;
}

void OProgrammer::RunDevice()
{
    MonitorSync();
    const uint8_t request[2] = {Monitor::kPrefix, Monitor::kRun};
    m_Port.Send(request, sizeof request);
    for (int i = 0; i < 100; ++i) {
        m_Port.Send(&Monitor::kPrefix, 1);
        SleepMs(1);
    }
}

void OProgrammer::SendUserCmd()
{
    for (const uint8_t byte : Monitor::kUserCommand) {
        m_Port.Send(&byte, 1);
        SleepMs(20);
    }
}

int OProgrammer::ReceiveMonitor()
{
    int count = 0;
    m_Port.ReadAvailable(m_Incoming.data(), kDrainBytes, count);
    if (count <= 0)
        return 0;
    std::string text = StrFormat("Принято %d байт: ", count);
    const int shown = count < 512 ? count : 512;
    for (int i = 0; i < shown; ++i)
        text += StrFormat(i == 0 ? "%02x" : ", %02x", m_Incoming[static_cast<size_t>(i)]);
    if (count > 512)
        text += ", ...";
    Console().Write(text).Write("\n");
    return count;
}

void OProgrammer::SendWakeUp()
{
    m_Port.Send(&Monitor::kPrefix, 1);
}
