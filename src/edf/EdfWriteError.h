#pragma once
// Messages for a failed EDF+ write, by the system's error code.
#include <cstdint>
#include <string>

// The file (or its temporary twin) could not be created in its folder.
std::string EdfCreateFailureText(const std::string& outPath, int error);
// Writing failed part way; a full disk is named as such.
std::string EdfWriteFailureText(const std::string& outPath, int error);

// EDFlib writes through a buffered stream and may lose a write error; these
// tell a refusal of the disk afterwards or foresee it.
// True when the folder of path has (almost) no room left or the file reached
// the process's file size limit.
bool EdfDiskRefused(const std::string& path);
// True when the folder of path has less free room than bytes.
bool EdfNoRoomFor(const std::string& path, int64_t bytes);
