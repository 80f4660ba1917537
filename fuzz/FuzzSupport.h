#pragma once
// What every fuzz target shares: a quiet program (the console silenced, every
// message answered at once without a window), settings in a throw-away
// folder, and a private folder for the files a target writes. Set up before
// the first input; the folder is removed when the run ends.
#include <cstddef>
#include <cstdint>
#include <string>

// The target's private folder, with a trailing "/".
const std::string& FuzzFolder();

// Writes the input to FuzzFolder() + name (replacing it) and returns the path.
std::string WriteFuzzFile(const std::string& name, const uint8_t* data, size_t size);
