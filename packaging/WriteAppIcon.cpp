// Writes the program's icon as PNG files for the desktop's icon theme:
// write_app_icon OUT_FOLDER SIZE... gives OUT_FOLDER/<SIZE>.png each.
#include "AppIcon.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: write_app_icon OUT_FOLDER SIZE...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString path = QString::fromLocal8Bit(argv[1]) + "/" + QString::number(size) + ".png";
        if (size < 8 || !AppIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "write_app_icon: cannot write %s\n", path.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
