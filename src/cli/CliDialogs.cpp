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
    return AutomaticAnswer(buttons, m_AnswerYes);
}
