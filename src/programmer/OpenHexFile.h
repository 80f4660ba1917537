#pragma once
// "Открыть HEX - файл ...": asks for a firmware file in the folder used last
// time, remembers its folder and loads it into the image.
#include "IntelHex.h"

#include <optional>
#include <string>

// The path loaded, or nothing when the user cancelled.
std::optional<std::string> OpenHexFile(OProgramImage& image);
