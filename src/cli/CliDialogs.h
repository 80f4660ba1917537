#pragma once
// Message boxes of the command line: every message goes to standard error
// ("CAPTION: text"); questions are answered Yes only when --yes was given.
// File dialogs are never answered. Installed for the life of the object.
#include "ODialogs.h"

#include <atomic>

class CliDialogs : public ODialogs {
public:
    explicit CliDialogs(bool answerYes);
    ~CliDialogs() override;
    CliDialogs(const CliDialogs&) = delete;
    CliDialogs& operator=(const CliDialogs&) = delete;

    MsgResult Message(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons) override;
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return std::nullopt; }

    // An error or warning message was shown: the command failed.
    bool ErrorShown() const { return m_ErrorShown.load(); }

private:
    bool m_AnswerYes;
    std::atomic<bool> m_ErrorShown{false};
};
