// The ring operations of OComPort: waiting, peeking, taking, the end of the
// ring and a full ring.
#include "OComPort.h"
#include "PtyPair.h"

#include <thread>
#include <vector>

namespace {

class ComPortRing : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(port.OpenPath(pty.slavePath, 921600)) << port.LastErrorText; }

    void Send(const std::vector<uint8_t>& bytes) { ASSERT_TRUE(pty.WriteAll(bytes.data(), bytes.size())); }

    // Sends and consumes filler until the next byte lands `before` bytes ahead
    // of the end of the ring.
    void MoveRingTo(int before)
    {
        std::vector<uint8_t> filler(OComPort::BufferSize - before, 0x55);
        Send(filler);
        ASSERT_EQ(port.WaitAvailable(static_cast<int>(filler.size()), 60000), static_cast<int>(filler.size()));
        port.Skip(static_cast<int>(filler.size()));
        ASSERT_EQ(port.Available(), 0);
    }

    PtyPair pty;
    OComPort port;
};

std::vector<uint8_t> Pattern(int count, uint64_t first = 0)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        bytes[static_cast<size_t>(i)] = PatternByte(first + static_cast<uint64_t>(i));
    return bytes;
}

} // namespace

TEST_F(ComPortRing, WaitAndPeekWithTimeoutZero)
{
    uint8_t reply[4] = {};
    EXPECT_EQ(port.WaitAndPeek(reply, 4, 0), 0);
    Send({'W', 1, 2, 3, 4});
    ASSERT_EQ(port.WaitAvailable(5, 20000), 5);
    EXPECT_EQ(port.WaitAndPeek(reply, 4, 0), 4);
    EXPECT_EQ(reply[0], 'W');
    EXPECT_EQ(reply[3], 3);
    EXPECT_EQ(port.Available(), 5) << "peeking consumes nothing";
    EXPECT_EQ(port.WaitAndPeek(reply, 6, 0), 0);
}

TEST_F(ComPortRing, TakeIsAllOrNothing)
{
    Send({1, 2, 3, 4, 5});
    ASSERT_EQ(port.WaitAvailable(5, 20000), 5);
    uint8_t out[6] = {};
    EXPECT_FALSE(port.Take(out, 6));
    EXPECT_EQ(port.Available(), 5);
    EXPECT_FALSE(port.WaitAndTake(out, 6, 0));
    EXPECT_EQ(port.Available(), 5);
    EXPECT_TRUE(port.Take(out, 5));
    EXPECT_EQ(out[4], 5);
    EXPECT_EQ(port.Available(), 0);
}

TEST_F(ComPortRing, ClosedPortHandsOutNothing)
{
    Send({1, 2, 3});
    ASSERT_EQ(port.WaitAvailable(3, 20000), 3);
    port.Close();
    uint8_t out[3] = {};
    int count = -1;
    EXPECT_EQ(port.Peek(out, 3), 0);
    port.ReadAvailable(out, 3, count);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(port.Take(out, 3));
}

TEST_F(ComPortRing, BytesAcrossTheEndComeOutInOrder)
{
    enum class Op { Peek, Take, ReadAvailable, WaitAndTake, TakeByte };
    // A fresh ring per operation: each starts 7 bytes before the end.
    for (const Op op : {Op::Peek, Op::Take, Op::ReadAvailable, Op::WaitAndTake, Op::TakeByte}) {
        SCOPED_TRACE(static_cast<int>(op));
        port.Close();
        ASSERT_TRUE(port.OpenPath(pty.slavePath, 921600));
        MoveRingTo(7);
        const std::vector<uint8_t> sent = Pattern(20, 1000);
        std::vector<uint8_t> got(20, 0);
        if (op != Op::WaitAndTake) {
            Send(sent);
            ASSERT_EQ(port.WaitAvailable(20, 20000), 20);
        }
        int count = 0;
        switch (op) {
        case Op::Peek:
            EXPECT_EQ(port.Peek(got.data(), 100), 20);
            EXPECT_EQ(port.PeekByte(8), sent[8]);
            EXPECT_EQ(port.Available(), 20);
            break;
        case Op::Take:
            EXPECT_TRUE(port.Take(got.data(), 20));
            break;
        case Op::ReadAvailable:
            port.ReadAvailable(got.data(), 100, count);
            EXPECT_EQ(count, 20);
            break;
        case Op::WaitAndTake: {
            std::thread later([&] { Send(sent); });
            EXPECT_TRUE(port.WaitAndTake(got.data(), 20, 60000));
            later.join();
            break;
        }
        case Op::TakeByte:
            for (uint8_t& byte : got)
                byte = port.TakeByte();
            break;
        }
        EXPECT_EQ(got, sent);
        EXPECT_EQ(port.Available(), op == Op::Peek ? 20 : 0);
    }
}

TEST_F(ComPortRing, FullRingPausesTheReaderWithoutLosingBytes)
{
    // More than the ring holds: the rest must wait in the driver and in the
    // writer, not overwrite what the consumer has not taken yet.
    const int total = OComPort::BufferSize + 300000;
    std::thread writer([&] {
        const std::vector<uint8_t> bytes = Pattern(total);
        EXPECT_TRUE(pty.WriteAll(bytes.data(), bytes.size()));
    });
    EXPECT_EQ(port.WaitAvailable(OComPort::IndexMask, 120000), OComPort::IndexMask);
    std::vector<uint8_t> got(static_cast<size_t>(total));
    int received = 0;
    while (received < total) {
        ASSERT_GT(port.WaitAvailable(1, 60000), 0) << "stalled at " << received;
        int count = 0;
        port.ReadAvailable(got.data() + received, total - received, count);
        received += count;
    }
    writer.join();
    EXPECT_TRUE(got == Pattern(total));
    EXPECT_EQ(port.Available(), 0);
}
