#pragma once
// Message boxes and file choosers, reached through one replaceable interface:
// the GUI installs Qt dialogs, the command line answers from its options, and
// tests script the answers so that nothing ever blocks on a modal window.
#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class MsgIcon { None, Error, Exclamation, Information, Question };
enum class MsgButtons {
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel,
    // The same questions with "Нет" as the default button, asked before
    // destructive actions so that a hasty Enter does nothing.
    YesNoDefaultNo,
    YesNoCancelDefaultNo,
};
enum class MsgResult { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    std::string title;
    std::string folder;     // initial folder, may be empty
    std::string fileName;   // initial file name, may be empty
    std::string defaultExt; // without the dot, may be empty
    // (description, patterns separated by ';'), e.g. {"Файлы ЭКГ", "*.экг"}
    std::vector<std::pair<std::string, std::string>> filters;
    bool overwritePrompt = true; // save dialogs only
};

class ODialogs {
public:
    virtual ~ODialogs() = default;
    // Shows a modal message box; may be called from any thread.
    virtual MsgResult Message(const std::string& text, const std::string& caption, MsgIcon icon,
                              MsgButtons buttons = MsgButtons::Ok) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) = 0;
};

// Dialogs used by the whole program. Until a front end installs its own, the
// console dialogs below are used.
ODialogs& Dialogs();
void SetDialogs(ODialogs* dialogs); // nullptr restores the console dialogs

// The answer of a front end that cannot ask: OK to a plain message, and to a
// question Yes (or OK) when the user agreed beforehand, No (or Cancel) otherwise.
MsgResult AutomaticAnswer(MsgButtons buttons, bool yes);

// Writes every message to the console and answers with a fixed reply
// (Cancel/No for questions unless told otherwise); never opens a file dialog.
class OConsoleDialogs : public ODialogs {
public:
    MsgResult Message(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons) override;
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return std::nullopt; }
    void SetAnswerYes(bool yes) { m_AnswerYes = yes; }

private:
    bool m_AnswerYes = false;
};

// The caption of message boxes that have no caption of their own.
inline constexpr const char* kAppTitle = "Brenna";
