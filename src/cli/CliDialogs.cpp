#include "CliDialogs.h"

#include <iostream>
#include <mutex>

namespace {
std::mutex g_OutputMutex;
} // namespace

CliDialogs::CliDialogs(bool answerYes) : m_AnswerYes(answerYes)
{
    SetDialogs(this);
}

CliDialogs::~CliDialogs()
{
    SetDialogs(nullptr);
}

MsgResult CliDialogs::Message(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons)
{
    if (icon == MsgIcon::Error || icon == MsgIcon::Exclamation)
        m_ErrorShown.store(true);
    {
        std::lock_guard lock(g_OutputMutex);
        std::cerr << caption << ": " << text;
        if (text.empty() || text.back() != '\n')
            std::cerr << '\n';
        std::cerr.flush();
    }
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgResult::Ok;
    case MsgButtons::OkCancel:
        return m_AnswerYes ? MsgResult::Ok : MsgResult::Cancel;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return m_AnswerYes ? MsgResult::Yes : MsgResult::No;
    }
    return MsgResult::Cancel;
}
