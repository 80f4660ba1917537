#include "QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
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
    case MsgButtons::YesNoDefaultNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
    case MsgButtons::YesNoCancelDefaultNo:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

bool DefaultIsNo(MsgButtons buttons)
{
    return buttons == MsgButtons::YesNoDefaultNo || buttons == MsgButtons::YesNoCancelDefaultNo;
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

} // namespace

QStringList QtNameFilters(const FileDialogRequest& request)
{
    QStringList filters;
    for (const auto& [description, patterns] : request.filters) {
        const QString text = QString::fromStdString(description);
        const QString list = "(" + QString::fromStdString(patterns).split(';', Qt::SkipEmptyParts).join(' ') + ")";
        // A description that already names its patterns ("ЭКГ - файлы
        // (*.экг)") is shown as it stands.
        filters << (text.endsWith(')') && text.contains('(') ? text : text + " " + list);
    }
    return filters;
}

namespace {

// "*.*" means every file, as it does on the system the filters come from; to
// the model it would hide names without a dot ("README", "card").
QStringList ModelPatterns(const std::string& patterns)
{
    QStringList list = QString::fromStdString(patterns).split(';', Qt::SkipEmptyParts);
    for (QString& pattern : list)
        if (pattern == "*.*")
            pattern = "*";
    return list;
}

std::optional<std::string> RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(DialogParent(), QString::fromStdString(request.title));
    ConfigureQtFileDialog(dialog, request, mode);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

} // namespace

std::unique_ptr<QMessageBox> MakeQtMessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                                              MsgButtons buttons)
{
    auto box = std::make_unique<QMessageBox>(ToQt(icon), QString::fromStdString(caption.empty() ? kAppTitle : caption),
                                             QString::fromStdString(text), ToQt(buttons), DialogParent());
    if (DefaultIsNo(buttons))
        box->setDefaultButton(QMessageBox::No);
    return box;
}

void ConfigureQtFileDialog(QFileDialog& dialog, const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    // Qt's own dialog everywhere: the filter fix below reaches into it.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = QtNameFilters(request);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!request.defaultExt.empty())
        dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
    if (!request.folder.empty())
        dialog.setDirectory(QString::fromStdString(request.folder));
    if (!request.fileName.empty())
        dialog.selectFile(QString::fromStdString(request.fileName));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);

    // Qt reads a filter's patterns only when they are Latin ("(*.wav)"); of
    // "ЭКГ - файлы (*.экг)" it makes the words patterns and shows no file.
    // The chosen filter's patterns are therefore handed to the list itself.
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (model == nullptr || filters.isEmpty())
        return;
    const auto apply = [model, filters, request](const QString& chosen) {
        const qsizetype i = filters.indexOf(chosen);
        if (i < 0)
            return;
        model->setNameFilters(ModelPatterns(request.filters[static_cast<size_t>(i)].second));
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, model, apply);
    apply(dialog.selectedNameFilter());
}

MsgResult OQtDialogs::Message(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons)
{
    return OnGuiThread([&] { return FromQt(MakeQtMessageBox(text, caption, icon, buttons)->exec()); });
}

std::optional<std::string> OQtDialogs::ChooseOpenFile(const FileDialogRequest& request)
{
    return OnGuiThread([&] { return RunFileDialog(request, QFileDialog::AcceptOpen); });
}

std::optional<std::string> OQtDialogs::ChooseSaveFile(const FileDialogRequest& request)
{
    return OnGuiThread([&] { return RunFileDialog(request, QFileDialog::AcceptSave); });
}
