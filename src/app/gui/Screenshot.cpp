#include "Screenshot.h"

#include <QApplication>
#include <QPixmap>

bool SaveWindowScreenshot(QWidget& window, const std::string& path, std::string& error)
{
    window.show();
    // Polishing, layouts and deferred updates all run from the event loop.
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    const QPixmap image = window.grab();
    if (image.isNull()) {
        error = "the window has no size to render";
        return false;
    }
    if (!image.save(QString::fromStdString(path), "PNG")) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
