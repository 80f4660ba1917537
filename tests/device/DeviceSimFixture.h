#pragma once
// ODevice talking to the simulated device served from this process on a
// pseudo-terminal; the port is open at 57600 baud and messages are recorded.
#include "DeviceCommands.h"
#include "OComPort.h"
#include "ODevice.h"
#include "OSimCard.h"
#include "OSimServer.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

class DeviceSimTest : public testing::Test {
protected:
    // 64 MiB: sectors 0 to 0x1FFFF.
    static constexpr uint32_t kCardSectors = 0x20000;

    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(OSimCard::Create(CardPath(), uint64_t(kCardSectors) * 512, error)) << error;
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

    // A sector whose bytes all differ from their neighbours.
    static std::vector<uint8_t> PatternSector(uint32_t seed)
    {
        std::vector<uint8_t> s(512);
        for (size_t i = 0; i < s.size(); ++i)
            s[i] = uint8_t(seed * 7 + i * 13 + (i >> 8));
        return s;
    }
    static std::vector<uint8_t> RecordingHeader(uint32_t first)
    {
        std::vector<uint8_t> s(512, 0);
        PutU32(s.data(), RECORDING_SIGNATURE);
        PutU32(s.data() + 4, first);
        return s;
    }
    void WriteSector(uint32_t n, const std::vector<uint8_t>& bytes)
    {
        ASSERT_TRUE(m_Card.WriteSector(n, bytes.data()));
    }

    std::string LastMessage() const
    {
        const auto messages = m_Dialogs.Messages();
        return messages.empty() ? std::string() : messages.back().text;
    }

    TempDir m_Dir;
    TestDialogs m_Dialogs;
    OSimCard m_Card;
    std::unique_ptr<OSimServer> m_Server;
    std::unique_ptr<OComPort> m_Port;
    std::unique_ptr<ODevice> m_Device;
};

#define EXPECT_CONTAINS(text, part) EXPECT_NE(std::string(text).find(part), std::string::npos) << (text)
