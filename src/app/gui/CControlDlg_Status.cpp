// The status line 1012: what the device is doing now and how the last
// operation ended. The live view writes its packet line and its silence note
// there only while it is on; STOP is reported once the device has answered.
#include "CControlDlg.h"

#include "CListScanThread.h"
#include "DeviceCommands.h"
#include "StrFormat.h"

#include <QLineEdit>
#include <QTableWidget>

namespace {

// The device answers STOP within milliseconds; this leaves room for a busy
// line and a loaded machine.
constexpr uint32_t kStopReplyMs = 1500;

constexpr uint32_t kStopOkWord =
    uint32_t(STOP_OK[0]) << 24 | uint32_t(STOP_OK[1]) << 16 | uint32_t(STOP_OK[2]) << 8 | uint32_t(STOP_OK[3]);

} // namespace

void CControlDlg::ShowStatus(const QString& text)
{
    m_LiveStatusShown = false;
    m_AwaitingStopReply = false;
    m_StatusEdit->setText(text);
}

void CControlDlg::ShowLiveStatus(const std::string& line)
{
    m_LiveStatusShown = true;
    m_StatusEdit->setText(QString::fromStdString(line));
}

void CControlDlg::LeaveLiveStatus()
{
    if (m_LiveStatusShown)
        ShowStatus(QString());
}

void CControlDlg::AwaitStopReply()
{
    ShowStatus("Команда СТОП отправлена, ожидается ответ прибора");
    m_AwaitingStopReply = true;
    m_StopSentMs = TickCountMs();
    m_ReplyTail = 0;
}

void CControlDlg::WatchStopReply(const uint8_t* bytes, int count)
{
    if (!m_AwaitingStopReply)
        return;
    // The answer may follow the rest of a live packet, and may be split
    // between two reads.
    for (int i = 0; i < count; ++i) {
        m_ReplyTail = m_ReplyTail << 8 | bytes[i];
        if (m_ReplyTail == kStopOkWord) {
            ShowStatus("Прибор в режиме управления с компа");
            return;
        }
    }
    if (TickCountMs() - m_StopSentMs > kStopReplyMs)
        ShowStatus("Прибор не ответил на команду СТОП: проверьте, что он включен и подключен к выбранному порту");
}

void CControlDlg::ShowListOutcome(const QString& readErrorText, bool cancelled)
{
    const int found = ListedRecordings();
    if (!readErrorText.isEmpty())
        ShowStatus(QString::fromStdString(
            StrFormat("Список файлов прочитан не до конца из-за ошибки чтения, найдено записей: %d", found)));
    else if (cancelled)
        ShowStatus(QString::fromStdString(StrFormat("Чтение списка прервано, найдено записей: %d", found)));
    else
        ShowStatus(QString::fromStdString(StrFormat("Список файлов считан, найдено записей: %d", found)));
}

int CControlDlg::ListedRecordings() const
{
    // The first row (the free space) and the "стоп" row have no last sector.
    int found = 0;
    for (int row = 0; row < m_List->rowCount(); ++row)
        if (!ListRowTexts(m_List, row)[2].empty())
            ++found;
    return found;
}
