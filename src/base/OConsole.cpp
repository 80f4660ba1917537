#include "OConsole.h"

#include "StrFormat.h"

#include <cerrno>
#include <unistd.h>

OConsole& Console()
{
    static OConsole console;
    return console;
}

OConsole& OConsole::Write(std::string_view text)
{
    // One write per piece, so pieces from two threads never interleave
    // inside each other. Errors are ignored: the console is best effort.
    const int fd = m_Fd;
    const char* data = text.data();
    size_t left = text.size();
    while (fd >= 0 && left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        data += written;
        left -= static_cast<size_t>(written);
    }
    return *this;
}

OConsole& OConsole::WriteInt(int32_t value) { return Write(StrFormat("%d", value)); }
OConsole& OConsole::WriteFloat(const double& value) { return Write(StrFormat("%f", value)); }
OConsole& OConsole::WriteHex(int32_t value) { return Write(StrFormat("%X", static_cast<unsigned>(value))); }
OConsole& OConsole::WriteUInt(uint32_t value) { return Write(StrFormat("%lu", static_cast<unsigned long>(value))); }
OConsole& OConsole::WriteHexByte(int32_t value) { return Write(StrFormat("%hX", static_cast<unsigned short>(value & 0xFF))); }
