#include "Fatal.h"

#include "OConsole.h"
#include "ODialogs.h"

#include <cstring>
#include <unistd.h>

std::string SystemErrorText(uint32_t code)
{
    // strerrordesc_np gives no text for codes the system does not know, where
    // strerror would invent "Unknown error N".
    const char* text = code <= 0x7FFFFFFF ? strerrordesc_np(static_cast<int>(code)) : nullptr;
    if (text == nullptr || *text == '\0')
        return "?";
    return text;
}

void Halt(const std::string& message)
{
    Console().Write("HALTY ").Write(message);
    Dialogs().Message(message, kAppTitle, MsgIcon::Exclamation, MsgButtons::Ok);
    // No destructors run: the state that led here cannot be trusted.
    ::_exit(-1);
}

void WinApiFatal(const std::string& where, uint32_t code)
{
    const std::string text = "Ошибка при вызове Win API\n" + where + "\n" + SystemErrorText(code);
    Dialogs().Message(text, kAppTitle, MsgIcon::Error, MsgButtons::Ok);
    ::_exit(-1);
}
