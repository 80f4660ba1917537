#include "QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>

namespace {

template <class F> auto OnGuiThread(F work) -> decltype(work())
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread())
        return work();
    decltype(work()) result{};
    QMetaObject::invokeMethod(
        app, [&] { result = work(); }, Qt::BlockingQueuedConnection);
    return result;
}

QWidget* DialogParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QMessageBox::Icon ToQt(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return QMessageBox::Ok;
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MsgResult FromQt(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        return MsgResult::Cancel;
    }
}

// "Файлы ЭКГ (*.экг)" from ("Файлы ЭКГ", "*.экг;*.ekg").
QStringList NameFilters(const FileDialogRequest& request)
{
    QStringList filters;
    for (const auto& [description, patterns] : request.filters)
        filters << QString::fromStdString(description) + " (" +
                       QString::fromStdString(patterns).split(';', Qt::SkipEmptyParts).join(' ') + ")";
    return filters;
}

std::optional<std::string> RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(DialogParent(), QString::fromStdString(request.title));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = NameFilters(request);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!request.defaultExt.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
    if (!request.folder.empty())
        dialog.setDirectory(QString::fromStdString(request.folder));
    if (!request.fileName.empty())
        dialog.selectFile(QString::fromStdString(request.fileName));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

} // namespace

MsgResult OQtDialogs::Message(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons)
{
    return OnGuiThread([&] {
        QMessageBox box(ToQt(icon), QString::fromStdString(caption.empty() ? kAppTitle : caption),
                        QString::fromStdString(text), ToQt(buttons), DialogParent());
        return FromQt(box.exec());
    });
}

std::optional<std::string> OQtDialogs::ChooseOpenFile(const FileDialogRequest& request)
{
    return OnGuiThread([&] { return RunFileDialog(request, QFileDialog::AcceptOpen); });
}

std::optional<std::string> OQtDialogs::ChooseSaveFile(const FileDialogRequest& request)
{
    return OnGuiThread([&] { return RunFileDialog(request, QFileDialog::AcceptSave); });
}
