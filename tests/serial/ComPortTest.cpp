#include "OComPort.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The far end of a pseudo-terminal, standing in for the device.
struct PtyPair {
    int master = -1;
    std::string slavePath;
    PtyPair()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master);
        ::unlockpt(master);
        slavePath = ::ptsname(master);
    }
    ~PtyPair()
    {
        if (master >= 0)
            ::close(master);
    }
};

} // namespace

TEST(ComPort, ReceivesWhatTheOtherEndSends)
{
    PtyPair pty;
    OComPort port;
    ASSERT_TRUE(port.OpenPath(pty.slavePath, 921600)) << port.LastErrorText;
    EXPECT_EQ(port.Available(), 0);
    ASSERT_EQ(::write(pty.master, "\x5E\x44\xE7\x23", 4), 4);
    uint8_t reply[4] = {};
    ASSERT_TRUE(port.WaitAndTake(reply, 4, 1000));
    EXPECT_EQ(reply[0], 0x5E);
    EXPECT_EQ(reply[3], 0x23);
    port.Send("\xCD\x0B", 2);
    char sent[2] = {};
    usleep(20000);
    ASSERT_EQ(::read(pty.master, sent, 2), 2);
    EXPECT_EQ(static_cast<uint8_t>(sent[0]), 0xCD);
}
