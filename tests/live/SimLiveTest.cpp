// The simulated device's recording with its live stream, without a terminal.
#include "LivePacket.h"
#include "OSimCard.h"
#include "OSimDevice.h"
#include "RecordingWriter.h"
#include "SimLive.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

using Clock = OSimDevice::Clock;
constexpr auto kPeriod = OSimLive::kPacketPeriod;

class SimLiveTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(OSimCard::Create(m_Dir.File("card"), 0x20000ull * 512, error)) << error;
        ASSERT_TRUE(m_Card.Open(m_Dir.File("card"), error)) << error;
    }
    void Send(OSimDevice& device, std::vector<uint8_t> bytes, Clock::time_point at)
    {
        device.Receive(bytes.data(), bytes.size(), at);
    }
    // Everything the device has sent by then.
    static std::vector<uint8_t> Drain(OSimDevice& device, Clock::time_point until)
    {
        std::vector<uint8_t> out;
        uint8_t buffer[256];
        int baud = 0;
        while (size_t n = device.Transmit(buffer, sizeof buffer, until, baud))
            out.insert(out.end(), buffer, buffer + n);
        return out;
    }
    std::array<uint8_t, 512> CardSector(uint32_t sector)
    {
        std::array<uint8_t, 512> data{};
        EXPECT_TRUE(m_Card.ReadSector(sector, data.data()));
        return data;
    }

    TempDir m_Dir;
    OSimCard m_Card;
    const Clock::time_point m_Start = Clock::now();
};

} // namespace

TEST_F(SimLiveTest, RecordsToTheCardAndStreamsEachSectorUntilStop)
{
    OSimDevice device(m_Card);
    OSimLive live(device);
    Send(device, {0xCD, 0x0A}, m_Start);
    EXPECT_TRUE(Drain(device, m_Start + kPeriod / 2).empty()) << "the first sector is not recorded yet";

    const auto bytes = Drain(device, m_Start + 3 * kPeriod + kPeriod / 2);
    ASSERT_EQ(bytes.size(), 3u * kLivePacketSize);
    for (uint32_t k = 0; k < 3; ++k) {
        const uint8_t* p = bytes.data() + k * kLivePacketSize;
        const LivePacketView packet{p};
        EXPECT_EQ(LiveU32(p), kLiveSignature);
        EXPECT_EQ(packet.FirstSector(), 0x10000u);
        EXPECT_EQ(packet.Position(), 0x10000u + k);
        EXPECT_EQ(packet.Ticks(), 2340u * k);
        EXPECT_EQ(packet.Flags(), 0x0B);
        EXPECT_EQ(packet.StartError() | packet.WriteError(), 0);
        EXPECT_EQ(std::memcmp(CardSector(0x10000 + k).data(), p, 512), 0) << "sector " << k << " on the card";
    }

    Send(device, {0xCD, 0x0B}, m_Start + 3 * kPeriod + kPeriod / 2);
    const auto tail = Drain(device, m_Start + 20 * kPeriod);
    // At most the packet already on its way, then STOP-OK as the last word.
    ASSERT_GE(tail.size(), 4u);
    EXPECT_EQ(std::vector<uint8_t>(tail.end() - 4, tail.end()), (std::vector<uint8_t>{0x5E, 0x44, 0xE7, 0x23}));
    const uint32_t sent = 3 + uint32_t((tail.size() - 4) / kLivePacketSize);
    EXPECT_EQ(m_Card.FirstFree(), 0x10000u + sent) << "the first free sector follows the recording";
    EXPECT_FALSE(live.Running());

    // The next start begins a new recording at the first free sector.
    Send(device, {0xCD, 0x0A}, m_Start + 30 * kPeriod);
    const auto next = Drain(device, m_Start + 31 * kPeriod + kPeriod / 2);
    ASSERT_EQ(next.size(), size_t(kLivePacketSize));
    EXPECT_EQ(LivePacketView{next.data()}.FirstSector(), 0x10000u + sent);
    EXPECT_EQ(LivePacketView{next.data()}.Ticks(), 0u);
}

TEST_F(SimLiveTest, WithARhythmSetLiveRecordingsBeatToIt)
{
    OSimDevice device(m_Card);
    OSimLive live(device);
    OEcgRhythm rhythm;
    rhythm.pvcPerMinute = 20;
    live.SetRhythm(rhythm);
    Send(device, {0xCD, 0x0A}, m_Start);
    const auto bytes = Drain(device, m_Start + 40 * kPeriod + kPeriod / 2);
    ASSERT_EQ(bytes.size(), 40u * kLivePacketSize);

    // The same samples as the model with that rhythm, seeded by the first
    // sector, and so with its premature beats.
    ORecordingOptions options;
    options.firstSector = 0x10000;
    options.ecg.seed = options.firstSector;
    options.ecg.rhythm = rhythm;
    ORecordingWriter writer(options);
    const std::vector<uint8_t> expected = writer.Sectors(40);
    for (size_t k = 0; k < 40; ++k)
        EXPECT_EQ(std::memcmp(bytes.data() + k * kLivePacketSize + 44, expected.data() + k * 512 + 44, 512 - 44), 0)
            << "sector " << k;
    const OEcgTruth truth = writer.Truth();
    EXPECT_GE(std::count(truth.classes.begin(), truth.classes.end(), 'V'), 1);
}

TEST_F(SimLiveTest, Faults)
{
    struct Case {
        const char* name;
        bool SimFaults::*fault;
    };
    for (const Case& c :
         {Case{"live-garbage", &SimFaults::liveGarbage}, Case{"live-truncate", &SimFaults::liveTruncate},
          Case{"card-missing", &SimFaults::cardMissing}}) {
        SCOPED_TRACE(c.name);
        SimFaults faults;
        faults.*c.fault = true;
        OSimDevice device(m_Card, faults);
        OSimLive live(device);
        const uint32_t first = m_Card.FirstFree();
        Send(device, {0xCD, 0x0A}, m_Start);
        const auto bytes = Drain(device, m_Start + 4 * kPeriod + kPeriod / 2);
        Send(device, {0xCD, 0x0B}, m_Start + 4 * kPeriod + kPeriod / 2);
        Drain(device, m_Start + 10 * kPeriod);

        if (c.fault == &SimFaults::liveGarbage) {
            ASSERT_EQ(bytes.size(), 4u * (kLivePacketSize + 5));
            for (size_t at = 0; at < bytes.size(); at += kLivePacketSize + 5) {
                EXPECT_NE(bytes[at], 0xAA);
                EXPECT_EQ(LiveU32(bytes.data() + at + 5), kLiveSignature);
            }
        } else if (c.fault == &SimFaults::liveTruncate) {
            ASSERT_EQ(bytes.size(), 3u * kLivePacketSize + OSimLive::kTruncatedLength);
            EXPECT_EQ(LiveU32(bytes.data() + 2 * kLivePacketSize + OSimLive::kTruncatedLength), kLiveSignature);
        } else {
            ASSERT_EQ(bytes.size(), 4u * kLivePacketSize);
            const LivePacketView packet{bytes.data()};
            EXPECT_EQ(packet.Flags(), 0x04);
            EXPECT_EQ(packet.StartError(), OSimLive::kNoCardStartError);
            EXPECT_EQ(packet.WriteError(), OSimLive::kNoCardWriteError);
            EXPECT_EQ(m_Card.FirstFree(), first) << "nothing recorded without a card";
            EXPECT_EQ(CardSector(first)[0], 0);
        }
    }
}
