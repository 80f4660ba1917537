#pragma once
// Message boxes and file choosers as Qt dialogs. Callable from any thread: a
// worker's request is carried out on the GUI thread while the worker waits.
#include "ODialogs.h"

#include <QFileDialog>
#include <QStringList>

#include <memory>

class QMessageBox;

class OQtDialogs : public ODialogs {
public:
    MsgResult Message(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons) override;
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
};

// The message box Message shows (not yet shown).
std::unique_ptr<QMessageBox> MakeQtMessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                                              MsgButtons buttons);
// The file dialog's filters: "ЭКГ - файлы (*.экг)" from ("ЭКГ - файлы", "*.экг")
// and from ("ЭКГ - файлы (*.экг)", "*.экг") alike.
QStringList QtNameFilters(const FileDialogRequest& request);
// Sets a file dialog up for a request, as Choose*File shows it.
void ConfigureQtFileDialog(QFileDialog& dialog, const FileDialogRequest& request, QFileDialog::AcceptMode mode);
