#pragma once
#include <string>

// Folder of the running executable, without a trailing separator.
std::string ExeFolder();
