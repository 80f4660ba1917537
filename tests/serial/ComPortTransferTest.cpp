// A long transfer through the ring with every byte checked: the reader and
// the consumer run at full speed against each other, wrapping many times.
#include "OComPort.h"
#include "PtyPair.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <poll.h>
#include <thread>
#include <vector>

TEST(ComPortTransfer, SixtyFourMebibytesArriveIntact)
{
    constexpr uint64_t total = 64ull * 1024 * 1024 + 12345;
    PtyPair pty;
    OComPort port;
    ASSERT_TRUE(port.OpenPath(pty.slavePath, 921600)) << port.LastErrorText;
    // The writer never blocks for good, so that a failing consumer can stop it.
    ::fcntl(pty.master, F_SETFL, O_NONBLOCK);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        std::vector<uint8_t> chunk(65536);
        size_t size = 0, done = 0;
        for (uint64_t sent = 0; sent < total && !stop;) {
            if (done == size) {
                size = static_cast<size_t>(std::min<uint64_t>(chunk.size(), total - sent));
                for (size_t i = 0; i < size; ++i)
                    chunk[i] = PatternByte(sent + i);
                done = 0;
            }
            const ssize_t written = ::write(pty.master, chunk.data() + done, size - done);
            if (written > 0) {
                done += static_cast<size_t>(written);
                sent += static_cast<uint64_t>(written);
            } else if (written < 0 && errno != EAGAIN) {
                return;
            } else {
                pollfd out{pty.master, POLLOUT, 0};
                ::poll(&out, 1, 100);
            }
        }
    });
    // Take fixed blocks like the download does, then sweep the remainder with
    // ReadAvailable like the control-mode monitor does.
    std::vector<uint8_t> buffer(70000);
    uint64_t received = 0;
    uint64_t mismatches = 0;
    int takes = 0;
    while (received < total) {
        const int want = static_cast<int>(std::min<uint64_t>(515, total - received));
        int count = 0;
        if (port.WaitAvailable(want, 60000) < want && port.Available() == 0)
            break;
        if (takes++ % 2 == 0 && port.Take(buffer.data(), want))
            count = want;
        else
            port.ReadAvailable(buffer.data(), static_cast<int>(buffer.size()), count);
        for (int i = 0; i < count; ++i)
            mismatches += buffer[static_cast<size_t>(i)] != PatternByte(received + static_cast<uint64_t>(i));
        received += static_cast<uint64_t>(count);
    }
    stop = true;
    writer.join();
    EXPECT_EQ(received, total);
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(port.Available(), 0);
}
