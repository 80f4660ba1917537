#pragma once
#include <QWidget>

#include <string>

// Shows a window (on the offscreen platform nothing appears), lets it lay
// itself out and paint, and saves what it shows as a PNG file. False with a
// reason in error when the file cannot be written.
bool SaveWindowScreenshot(QWidget& window, const std::string& path, std::string& error);
