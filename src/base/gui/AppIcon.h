#pragma once
#include <QIcon>
#include <QImage>

// The program's icon: an ECG complex on a light card, drawn at start.
QIcon AppIcon();
// The same drawing at size x size pixels; needs no application object, so
// that the build can write the icon files the desktop menu shows.
QImage AppIconImage(int size);
