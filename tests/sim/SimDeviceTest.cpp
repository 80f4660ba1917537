// The device model without a terminal: requests in, timed replies out.
#include "DeviceCommands.h"
#include "OSimCard.h"
#include "OSimDevice.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

class SimDeviceTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(OSimCard::Create(m_Dir.File("card"), 0x11000ull * 512, error)) << error;
        ASSERT_TRUE(m_Card.Open(m_Dir.File("card"), error)) << error;
    }
    void Send(OSimDevice& device, std::vector<uint8_t> bytes, int pcBaud = BASE_BAUD)
    {
        device.Receive(bytes.data(), bytes.size(), m_Now, pcBaud);
    }
    // Everything due by now, with the speed of the last piece.
    std::vector<uint8_t> Drain(OSimDevice& device, int* baud = nullptr)
    {
        std::vector<uint8_t> out;
        uint8_t buffer[64];
        int pieceBaud = 0;
        while (size_t n = device.Transmit(buffer, sizeof buffer, m_Now, pieceBaud)) {
            out.insert(out.end(), buffer, buffer + n);
            if (baud)
                *baud = pieceBaud;
            if (device.Streaming() && out.size() > 2000)
                break;
        }
        return out;
    }

    TempDir m_Dir;
    OSimCard m_Card;
    OSimDevice::TimePoint m_Now = OSimDevice::Clock::now();
    const std::vector<uint8_t> m_StopOk{STOP_OK.begin(), STOP_OK.end()};
};

TEST_F(SimDeviceTest, RequestsAreFoundAmongNoiseAndWakeUps)
{
    OSimDevice device(m_Card);
    Send(device, {0x00, 0x41, 0xCD, 0xCD, 0xCD, 0x0B});
    EXPECT_EQ(Drain(device), m_StopOk);
    // An unknown code is dropped; the next request is understood.
    Send(device, {0xCD, 0x99, 0xCD, 0x0B});
    EXPECT_EQ(Drain(device), m_StopOk);
    // A request cut short is forgotten after a pause.
    Send(device, {0xCD, 0x22 + 1, 0x01});
    m_Now += 2s;
    Send(device, {0xCD, 0x0B});
    EXPECT_EQ(Drain(device), m_StopOk);
    // Bytes sent at another speed than the device listens at are lost.
    Send(device, {0xCD, 0x0B}, 921600);
    EXPECT_TRUE(Drain(device).empty());
}

TEST_F(SimDeviceTest, SpeedSwitchThenPatternThenFramesUntilAnythingIsHeard)
{
    OSimDevice device(m_Card);
    Send(device, MakeStreamRequest(0x10000, 1, 8));
    int baud = 0;
    EXPECT_EQ(Drain(device, &baud), (std::vector<uint8_t>{'S', 0x00, 0x88}));
    EXPECT_EQ(baud, 57600);
    EXPECT_EQ(device.LineBaud(), 921600);
    // The pattern waits until well after the PC's 400 ms pause and purge.
    const auto due = device.NextDue(m_Now);
    ASSERT_TRUE(due);
    EXPECT_GE(*due - m_Now, 600ms);
    EXPECT_LE(*due - m_Now, 1000ms);
    m_Now = *due;
    const auto stream = Drain(device, &baud);
    EXPECT_EQ(baud, 921600);
    ASSERT_GE(stream.size(), 4u + 2 * 5);
    EXPECT_EQ(GetU32(stream.data()), SPEED_CHECK_PATTERN);
    EXPECT_EQ(std::vector<uint8_t>(stream.begin() + 4, stream.begin() + 9),
              (std::vector<uint8_t>{DATA_TOKEN, 0, 0, 0xAA, 0x79}));

    // A STOP sent at 57600 reaches the fast device as noise: the stream ends,
    // the device drops back to 57600 and answers the next STOP.
    Send(device, {0xCD, 0x0B}, 57600);
    EXPECT_FALSE(device.Streaming());
    EXPECT_EQ(device.LineBaud(), 57600);
    EXPECT_TRUE(Drain(device).empty());
    Send(device, {0xCD, 0x0B}, 57600);
    EXPECT_EQ(Drain(device), m_StopOk);
}

TEST_F(SimDeviceTest, AddedCommandsAndPrefixHookAreDispatched)
{
    OSimDevice device(m_Card);
    int prefixes = 0;
    device.m_OnPrefix = [&](OSimDevice::TimePoint) { ++prefixes; };
    device.AddCommand(0xE6, 2, [&](const uint8_t* params, OSimDevice::TimePoint now) {
        device.Reply({params[1], params[0]}, now);
    });
    Send(device, {0xCD, 0xCD, 0xE6, 0x12, 0x34});
    EXPECT_EQ(Drain(device), (std::vector<uint8_t>{0x34, 0x12}));
    EXPECT_EQ(prefixes, 2);
}
