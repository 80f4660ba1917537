#pragma once
// printf-style formatting into a std::string of the right size. The program's
// texts are given as printf formats, so we keep them verbatim and format safely.
#include <cstdarg>
#include <string>

std::string StrFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string StrFormatV(const char* format, va_list args);
