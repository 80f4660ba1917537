#pragma once
// Dialogs for tests: every message is recorded, answers and chosen files come
// from queues the test fills; an empty queue answers Cancel / no file.
#include "ODialogs.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

struct RecordedMessage {
    std::string text;
    std::string caption;
    MsgIcon icon;
    MsgButtons buttons;
};

class TestDialogs : public ODialogs {
public:
    TestDialogs() { SetDialogs(this); }
    ~TestDialogs() override { SetDialogs(nullptr); }

    MsgResult Message(const std::string& text, const std::string& caption, MsgIcon icon,
                      MsgButtons buttons) override;
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;

    void QueueAnswer(MsgResult answer);
    void QueueFile(const std::string& path); // "" stands for a cancelled dialog

    std::vector<RecordedMessage> Messages() const;
    std::vector<FileDialogRequest> FileRequests() const;
    size_t Count() const;
    void Clear();

private:
    mutable std::mutex m_Mutex;
    std::vector<RecordedMessage> m_Messages;
    std::vector<FileDialogRequest> m_FileRequests;
    std::deque<MsgResult> m_Answers;
    std::deque<std::string> m_Files;
};
