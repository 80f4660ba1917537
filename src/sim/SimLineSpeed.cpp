#include "SimLineSpeed.h"

// termios2 from the kernel's headers: <termios.h> must stay out of this file.
#include <asm/termbits.h>
#include <sys/ioctl.h>

int TerminalBaud(int fd)
{
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return 0;
    return static_cast<int>(settings.c_ospeed);
}
