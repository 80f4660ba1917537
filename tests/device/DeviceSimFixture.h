#pragma once
// The device tests' simulated device: a 64 MiB card served from this process,
// the port open at 57600 baud once Serve() ran, and the messages recorded.
#include "SimCardFixture.h"
#include "TestDialogs.h"

#include <string>

class DeviceSimTest : public SimCardFixture {
protected:
    // 64 MiB: sectors 0 to 0x1FFFF.
    static constexpr uint32_t kCardSectors = 0x20000;

    DeviceSimTest() : SimCardFixture(uint64_t(kCardSectors) * kCardSectorSize) {}

    std::string LastMessage() const
    {
        const auto messages = m_Dialogs.Messages();
        return messages.empty() ? std::string() : messages.back().text;
    }

    TestDialogs m_Dialogs;
};

#define EXPECT_CONTAINS(text, part) EXPECT_NE(std::string(text).find(part), std::string::npos) << (text)
