// The Qt dialogs as the user meets them: Qt's own texts in Russian, "Нет"
// as the default of destructive questions, file filters shown once and
// applied although their patterns are Cyrillic.
#include "QtDialogs.h"
#include "QtRussian.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <fstream>

namespace {

QString Plain(QString text)
{
    return text.remove('&');
}

} // namespace

TEST(QtDialogs, QuestionsSpeakRussianAndDestructiveOnesDefaultToNo)
{
    ASSERT_TRUE(InstallQtRussian()) << "Qt's Russian translations (qt6-translations-l10n) are missing";
    struct Case {
        MsgButtons buttons;
        bool defaultNo;
    } cases[] = {{MsgButtons::YesNoCancel, false},
                 {MsgButtons::YesNo, false},
                 {MsgButtons::YesNoCancelDefaultNo, true},
                 {MsgButtons::YesNoDefaultNo, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.buttons));
        std::unique_ptr<QMessageBox> box = MakeQtMessageBox("?", "ВОПРОС", MsgIcon::Question, c.buttons);
        ASSERT_NE(box->button(QMessageBox::No), nullptr);
        EXPECT_EQ(Plain(box->button(QMessageBox::Yes)->text()), "Да");
        EXPECT_EQ(Plain(box->button(QMessageBox::No)->text()), "Нет");
        EXPECT_EQ(box->defaultButton() == box->button(QMessageBox::No), c.defaultNo);
    }
}

TEST(QtDialogs, FiltersAreShownOnceAndCyrillicPatternsStillSelectFiles)
{
    const std::pair<std::vector<std::pair<std::string, std::string>>, QStringList> cases[] = {
        {{{"ЭКГ - файлы (*.экг)", "*.экг"}, {"WAV - файлы (*.wav)", "*.wav"}},
         {"ЭКГ - файлы (*.экг)", "WAV - файлы (*.wav)"}},
        {{{"HEX - файлы (*.hex)", "*.hex"}, {"Все файлы (*.*)", "*"}}, {"HEX - файлы (*.hex)", "Все файлы (*.*)"}},
        {{{"Файлы ЭКГ", "*.экг;*.ekg"}}, {"Файлы ЭКГ (*.экг *.ekg)"}},
    };
    for (const auto& [filters, shown] : cases) {
        FileDialogRequest request;
        request.filters = filters;
        EXPECT_EQ(QtNameFilters(request), shown);
    }

    TempDir dir;
    for (const char* name : {"a.экг", "b.wav", "c.txt"})
        std::ofstream(dir.File(name)) << "x";
    FileDialogRequest request;
    request.folder = dir.Path();
    request.filters = cases[0].first;
    QFileDialog dialog;
    ConfigureQtFileDialog(dialog, request, QFileDialog::AcceptOpen);
    auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->nameFilters(), QStringList{"*.экг"});
    dialog.selectNameFilter("WAV - файлы (*.wav)");
    emit dialog.filterSelected("WAV - файлы (*.wav)");
    EXPECT_EQ(model->nameFilters(), QStringList{"*.wav"});
}

// "Все файлы (*.*)" lists every file, names without a dot included, whichever
// way a window spells its pattern.
TEST(QtDialogs, AllFilesShowsDotlessNamesToo)
{
    for (const char* pattern : {"*.*", "*"}) {
        SCOPED_TRACE(pattern);
        FileDialogRequest request;
        request.filters = {{"HEX - файлы (*.hex)", "*.hex"}, {"Все файлы (*.*)", pattern}};
        QFileDialog dialog;
        ConfigureQtFileDialog(dialog, request, QFileDialog::AcceptOpen);
        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        dialog.selectNameFilter("Все файлы (*.*)");
        emit dialog.filterSelected("Все файлы (*.*)");
        for (const char* name : {"README", "card", "a.hex", "b.экг"})
            EXPECT_TRUE(QDir::match(model->nameFilters(), name)) << name;
        // The other filter still shows only its own files.
        dialog.selectNameFilter("HEX - файлы (*.hex)");
        emit dialog.filterSelected("HEX - файлы (*.hex)");
        EXPECT_FALSE(QDir::match(model->nameFilters(), "README"));
    }
}
