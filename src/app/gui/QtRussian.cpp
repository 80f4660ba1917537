#include "QtRussian.h"

#include "OConsole.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool InstallQtRussian()
{
    // Lives as long as the program: the application only keeps a pointer.
    static QTranslator translator;
    if (!translator.isEmpty())
        return true;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator.load("qtbase_ru", folder)) {
        Console().Write("Переводы Qt (qtbase_ru) не найдены в " + folder.toStdString() +
                        ": стандартные кнопки и диалоги будут по-английски\n");
        return false;
    }
    return QCoreApplication::installTranslator(&translator);
}
