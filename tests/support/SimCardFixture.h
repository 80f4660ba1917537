#pragma once
// A simulated device on a pseudo-terminal, served from this process, with a
// card the test fills with recordings; the port is open at 57600 baud.
#include "OComPort.h"
#include "ODevice.h"
#include "OSimCard.h"
#include "OSimServer.h"
#include "RecordingFormat.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

class SimCardFixture : public testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(OSimCard::Create(CardPath(), 256ull * 1024 * 1024, error)) << error;
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
        std::vector<uint8_t> s(kSectorSize);
        WriteLE32(s.data(), kRecordingSignature);
        WriteLE32(s.data() + 4, first);
        WriteLE32(s.data() + 8, sector);
        for (int i = 12; i < kSectorSize; ++i)
            s[size_t(i)] = uint8_t(sector * 31 + uint32_t(i));
        return s;
    }
    void WriteRecording(uint32_t first, uint32_t last)
    {
        for (uint32_t n = first; n <= last; ++n)
            ASSERT_TRUE(m_Card.WriteSector(n, RecordingSector(first, n).data()));
    }
    std::vector<uint8_t> CardSectors(uint32_t first, uint32_t count)
    {
        std::vector<uint8_t> all(size_t(count) * kSectorSize);
        for (uint32_t i = 0; i < count; ++i)
            m_Card.ReadSector(first + i, all.data() + size_t(i) * kSectorSize);
        return all;
    }

    // Starts serving the card (unpaced unless told otherwise) and opens the port.
    void Serve(const SimFaults& faults = {}, bool fast = true)
    {
        SimServeOptions options;
        options.fast = fast;
        m_Server = std::make_unique<OSimServer>(CardPath(), faults, options);
        std::string error;
        ASSERT_TRUE(m_Server->Start(error)) << error;
        m_Port = std::make_unique<OComPort>();
        ASSERT_TRUE(m_Port->OpenPath(m_Server->PortPath(), 57600)) << m_Port->LastErrorText;
        m_Device = std::make_unique<ODevice>(*m_Port);
    }

    TempDir m_Dir;
    OSimCard m_Card;
    std::unique_ptr<OSimServer> m_Server;
    std::unique_ptr<OComPort> m_Port;
    std::unique_ptr<ODevice> m_Device;
};
