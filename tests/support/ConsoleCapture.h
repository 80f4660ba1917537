#pragma once
// Catches what the console writes while the object lives (in a file, so that
// long traces never block).
#include "OConsole.h"

#include <cstdio>
#include <string>
#include <unistd.h>

class ConsoleCapture {
public:
    ConsoleCapture() : m_File(std::tmpfile()), m_Saved(Console().Output()) { Console().SetOutput(::fileno(m_File)); }
    ~ConsoleCapture()
    {
        Console().SetOutput(m_Saved);
        std::fclose(m_File);
    }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    std::string Text() const
    {
        std::string text;
        char buffer[4096];
        for (off_t at = 0;;) {
            const ssize_t n = ::pread(::fileno(m_File), buffer, sizeof buffer, at);
            if (n <= 0)
                return text;
            text.append(buffer, static_cast<size_t>(n));
            at += n;
        }
    }

private:
    FILE* m_File;
    int m_Saved;
};
