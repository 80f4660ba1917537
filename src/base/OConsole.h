#pragma once
// The diagnostic console: protocol traces, skipped bytes and timings go here
// (standard error, UTF-8). Every write is one piece of text; calls chain:
//   Console().Write("Пропускаю ").WriteHex(b).Write("\n");
#include <cstdint>
#include <string_view>

class OConsole {
public:
    OConsole& Write(std::string_view text);
    OConsole& WriteInt(int32_t value);        // "%d"
    OConsole& WriteFloat(const double& value); // "%f"
    OConsole& WriteHex(int32_t value);        // "%X"
    OConsole& WriteUInt(uint32_t value);      // "%lu"
    OConsole& WriteHexByte(int32_t value);    // "%hX" of the low 8 bits

    // Where the text goes; standard error by default. Tests point it at a pipe
    // or a file; -1 silences the console.
    void SetOutput(int fd) { m_Fd = fd; }
    int Output() const { return m_Fd; }

private:
    int m_Fd = 2;
};

// The program-wide console; exists for the whole run.
OConsole& Console();
