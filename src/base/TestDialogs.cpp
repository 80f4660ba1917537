#include "TestDialogs.h"

MsgResult TestDialogs::Message(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons)
{
    std::lock_guard lock(m_Mutex);
    m_Messages.push_back({text, caption, icon, buttons});
    if (buttons == MsgButtons::Ok)
        return MsgResult::Ok;
    if (m_Answers.empty())
        return MsgResult::Cancel;
    const MsgResult answer = m_Answers.front();
    m_Answers.pop_front();
    return answer;
}

std::optional<std::string> TestDialogs::ChooseOpenFile(const FileDialogRequest& request)
{
    return ChooseSaveFile(request);
}

std::optional<std::string> TestDialogs::ChooseSaveFile(const FileDialogRequest& request)
{
    std::lock_guard lock(m_Mutex);
    m_FileRequests.push_back(request);
    if (m_Files.empty())
        return std::nullopt;
    std::string path = m_Files.front();
    m_Files.pop_front();
    if (path.empty())
        return std::nullopt;
    return path;
}

void TestDialogs::QueueAnswer(MsgResult answer)
{
    std::lock_guard lock(m_Mutex);
    m_Answers.push_back(answer);
}

void TestDialogs::QueueFile(const std::string& path)
{
    std::lock_guard lock(m_Mutex);
    m_Files.push_back(path);
}

std::vector<RecordedMessage> TestDialogs::Messages() const
{
    std::lock_guard lock(m_Mutex);
    return m_Messages;
}

std::vector<FileDialogRequest> TestDialogs::FileRequests() const
{
    std::lock_guard lock(m_Mutex);
    return m_FileRequests;
}

size_t TestDialogs::Count() const
{
    std::lock_guard lock(m_Mutex);
    return m_Messages.size();
}

void TestDialogs::Clear()
{
    std::lock_guard lock(m_Mutex);
    m_Messages.clear();
    m_FileRequests.clear();
    m_Answers.clear();
    m_Files.clear();
}
