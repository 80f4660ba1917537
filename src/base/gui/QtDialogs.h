#pragma once
// Message boxes and file choosers as Qt dialogs. Callable from any thread: a
// worker's request is carried out on the GUI thread while the worker waits.
#include "ODialogs.h"

class OQtDialogs : public ODialogs {
public:
    MsgResult Message(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons) override;
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
};
