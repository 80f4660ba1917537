#pragma once
#include <QIcon>

// The program's icon: an ECG complex on a light card, drawn at start.
QIcon AppIcon();
