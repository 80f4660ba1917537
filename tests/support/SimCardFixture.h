#pragma once
// A simulated device on a pseudo-terminal, served from this process, with a
// card the test fills; the port is open at 57600 baud once Serve() ran.
#include "DeviceCommands.h"
#include "OComPort.h"
#include "ODevice.h"
#include "OSimCard.h"
#include "OSimServer.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

class SimCardFixture : public testing::Test {
protected:
    static constexpr size_t kCardSectorSize = 512;

    explicit SimCardFixture(uint64_t cardBytes = 256ull * 1024 * 1024) : m_CardBytes(cardBytes) {}

    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(OSimCard::Create(CardPath(), m_CardBytes, error)) << error;
        ASSERT_TRUE(m_Card.Open(CardPath(), error)) << error;
    }
    void TearDown() override
    {
        if (m_Port)
            m_Port->Close();
        if (m_Server)
            m_Server->Stop();
    }

    std::string CardPath() const { return m_Dir.File("card.img"); }

    // A recording from first to last whose sectors carry a recognisable pattern.
    static std::vector<uint8_t> RecordingSector(uint32_t first, uint32_t sector)
    {
        std::vector<uint8_t> s(kCardSectorSize);
        PutU32(s.data(), RECORDING_SIGNATURE);
        PutU32(s.data() + 4, first);
        PutU32(s.data() + 8, sector);
        for (size_t i = 12; i < kCardSectorSize; ++i)
            s[i] = uint8_t(sector * 31 + uint32_t(i));
        return s;
    }
    void WriteRecording(uint32_t first, uint32_t last)
    {
        for (uint32_t n = first; n <= last; ++n)
            ASSERT_TRUE(m_Card.WriteSector(n, RecordingSector(first, n).data()));
    }
    // A recording's first sector with nothing after the header words.
    static std::vector<uint8_t> RecordingHeader(uint32_t first)
    {
        std::vector<uint8_t> s(kCardSectorSize, 0);
        PutU32(s.data(), RECORDING_SIGNATURE);
        PutU32(s.data() + 4, first);
        return s;
    }
    // A sector whose bytes all differ from their neighbours.
    static std::vector<uint8_t> PatternSector(uint32_t seed)
    {
        std::vector<uint8_t> s(kCardSectorSize);
        for (size_t i = 0; i < s.size(); ++i)
            s[i] = uint8_t(seed * 7 + i * 13 + (i >> 8));
        return s;
    }
    void WriteSector(uint32_t n, const std::vector<uint8_t>& bytes)
    {
        ASSERT_TRUE(m_Card.WriteSector(n, bytes.data()));
    }
    std::vector<uint8_t> CardSectors(uint32_t first, uint32_t count)
    {
        std::vector<uint8_t> all(count * kCardSectorSize);
        for (uint32_t i = 0; i < count; ++i)
            m_Card.ReadSector(first + i, all.data() + i * kCardSectorSize);
        return all;
    }

    // Starts serving the card (unpaced unless told otherwise, with the card
    // initialisation report given) and opens the port.
    void Serve(const SimFaults& faults = {}, bool fast = true, std::vector<uint8_t> initReport = {})
    {
        SimServeOptions options;
        options.fast = fast;
        m_Server = std::make_unique<OSimServer>(CardPath(), faults, options);
        if (!initReport.empty())
            m_Server->Device().SetInitReport(std::move(initReport));
        std::string error;
        ASSERT_TRUE(m_Server->Start(error)) << error;
        m_Port = std::make_unique<OComPort>();
        ASSERT_TRUE(m_Port->OpenPath(m_Server->PortPath(), 57600)) << m_Port->LastErrorText;
        m_Device = std::make_unique<ODevice>(*m_Port);
    }

    const uint64_t m_CardBytes;
    TempDir m_Dir;
    OSimCard m_Card;
    std::unique_ptr<OSimServer> m_Server;
    std::unique_ptr<OComPort> m_Port;
    std::unique_ptr<ODevice> m_Device;
};
