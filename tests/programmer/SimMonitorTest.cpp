// The simulated firmware monitor on its own: framing, protection and faults.
#include "OSimMonitor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint8_t> Feed(OSimMonitor& monitor, std::vector<uint8_t> bytes)
{
    std::vector<uint8_t> reply;
    monitor.Consume(bytes.data(), bytes.size(), reply);
    return reply;
}

using Bytes = std::vector<uint8_t>;

} // namespace

TEST(SimMonitor, ReadsWritesAndProtects)
{
    OSimMonitor monitor;
    EXPECT_EQ(Feed(monitor, {0xCD, 0xE6, 0x00, 0x01}), (Bytes{0xFF, 0x3F}));
    EXPECT_EQ(Feed(monitor, {0xCD, 0xE7, 0x00, 0x01, 0x34, 0x12}), (Bytes{0xAA}));
    EXPECT_EQ(monitor.Word(0x100), 0x1234);
    EXPECT_EQ(Feed(monitor, {0xCD, 0xE7, 0xFF, 0x00, 0x34, 0x12}), (Bytes{0xEE}));
    EXPECT_EQ(monitor.Word(0xFF), OSimMonitor::kErased);
    // Program memory holds 14 bits; beyond the last word nothing is written.
    EXPECT_EQ(Feed(monitor, {0xCD, 0xE7, 0xFF, 0x0F, 0xFF, 0xFF}), (Bytes{0xAA}));
    EXPECT_EQ(monitor.Word(0xFFF), 0x3FFF);
    EXPECT_EQ(Feed(monitor, {0xCD, 0xE7, 0x00, 0x10, 0x00, 0x00}), (Bytes{0xEE}));
    // A request split anywhere is the same request.
    EXPECT_EQ(Feed(monitor, {0xCD, 0xE6}), Bytes{});
    EXPECT_EQ(Feed(monitor, {0x00}), Bytes{});
    EXPECT_EQ(Feed(monitor, {0x01}), (Bytes{0x34, 0x12}));
}

TEST(SimMonitor, WakeUpBytesAndOtherCommandsAnswerNothing)
{
    OSimMonitor monitor;
    EXPECT_EQ(Feed(monitor, {0xCD, 0xCD, 0xCD, 0x00, 0xCD, 0x0B, 0x42}), Bytes{});
    EXPECT_EQ(monitor.WakeUps(), 4);
    EXPECT_EQ(Feed(monitor, {0xCD, 0xCD, 0xE6, 0x05, 0x00}), (Bytes{0xFF, 0x3F}));
    EXPECT_FALSE(monitor.Running());
    EXPECT_EQ(Feed(monitor, {0xCD, 0xEB}), Bytes{});
    EXPECT_TRUE(monitor.Running());
}

TEST(SimMonitor, OptionsAndFaults)
{
    SimMonitorOptions options;
    ASSERT_TRUE(ParseProtectRange("0xF00-0xFFF", options));
    EXPECT_EQ(options.protectFrom, 0xF00);
    EXPECT_EQ(options.protectTo, 0xFFF);
    EXPECT_FALSE(ParseProtectRange("5-1", options));
    EXPECT_FALSE(ParseProtectRange("12", options));
    EXPECT_FALSE(ParseProtectRange("0-x", options));
    ASSERT_TRUE(ParseProtectRange("none", options));
    OSimMonitor open(options);
    EXPECT_EQ(Feed(open, {0xCD, 0xE7, 0x00, 0x00, 0x01, 0x00}), (Bytes{0xAA}));

    SimMonitorOptions silent;
    silent.silentAfter = 2;
    OSimMonitor quiet(silent);
    EXPECT_EQ(Feed(quiet, {0xCD, 0xE6, 0, 0, 0xCD, 0xE6, 1, 0, 0xCD, 0xE6, 2, 0}).size(), 4u);

    SimMonitorOptions bad;
    bad.badReply = true;
    OSimMonitor confused(bad);
    EXPECT_EQ(Feed(confused, {0xCD, 0xE7, 0x00, 0x02, 0x01, 0x00}), (Bytes{0x55}));
    EXPECT_EQ(confused.Word(0x200), OSimMonitor::kErased);
    EXPECT_EQ(Feed(confused, {0xCD, 0xE6, 0x00, 0x02}).size(), 1u);
}
