#pragma once
// The baud rate a terminal currently runs at. On a pseudo-terminal both ends
// share the settings, so the device side sees the speed the PC has set.
int TerminalBaud(int fd); // 0 when it cannot be read
