#include "ODialogs.h"

#include "OConsole.h"

#include <atomic>

namespace {
OConsoleDialogs g_ConsoleDialogs;
std::atomic<ODialogs*> g_Dialogs{nullptr};
} // namespace

ODialogs& Dialogs()
{
    ODialogs* dialogs = g_Dialogs.load(std::memory_order_acquire);
    return dialogs ? *dialogs : g_ConsoleDialogs;
}

void SetDialogs(ODialogs* dialogs)
{
    g_Dialogs.store(dialogs, std::memory_order_release);
}

MsgResult OConsoleDialogs::Message(const std::string& text, const std::string& caption, MsgIcon, MsgButtons buttons)
{
    Console().Write("[").Write(caption).Write("] ").Write(text).Write("\n");
    return AutomaticAnswer(buttons, m_AnswerYes);
}

MsgResult AutomaticAnswer(MsgButtons buttons, bool yes)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgResult::Ok;
    case MsgButtons::OkCancel:
        return yes ? MsgResult::Ok : MsgResult::Cancel;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNoDefaultNo:
    case MsgButtons::YesNoCancelDefaultNo:
        return yes ? MsgResult::Yes : MsgResult::No;
    }
    return MsgResult::Cancel;
}
