#pragma once
// A pseudo-terminal whose far end the test writes as the device would stream
// sector frames; the port is open at 57600 baud on the near end.
#include "OComPort.h"
#include "RecordingFile.h"
#include "RecordingFormat.h"
#include "SectorCrc.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <vector>

class StreamFixture : public testing::Test {
protected:
    void SetUp() override
    {
        m_Master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(m_Master, 0);
        ::grantpt(m_Master);
        ::unlockpt(m_Master);
        ASSERT_TRUE(m_Port.OpenPath(::ptsname(m_Master), 57600)) << m_Port.LastErrorText;
    }
    void TearDown() override
    {
        m_Port.Close();
        ::close(m_Master);
    }

    static std::vector<uint8_t> Sector(uint32_t index)
    {
        std::vector<uint8_t> s(kSectorSize);
        WriteLE32(s.data(), kRecordingSignature);
        WriteLE32(s.data() + 4, 0x10000);
        WriteLE32(s.data() + 8, 0x10000 + index);
        for (int i = 12; i < kSectorSize; ++i)
            s[i] = uint8_t(i * 7 + index);
        return s;
    }

    static std::vector<uint8_t> Frame(const std::vector<uint8_t>& sector)
    {
        std::vector<uint8_t> f{kGoodSectorToken};
        f.insert(f.end(), sector.begin(), sector.end());
        const uint16_t crc = Crc16Xmodem(sector.data(), sector.size());
        f.push_back(uint8_t(crc >> 8));
        f.push_back(uint8_t(crc));
        return f;
    }

    // Sends bytes as the device and waits until the port holds them all.
    void Send(const std::vector<uint8_t>& bytes)
    {
        const int before = m_Port.Available();
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_Master, bytes.data() + done, bytes.size() - done);
            ASSERT_GT(n, 0);
            done += size_t(n);
        }
        ASSERT_EQ(m_Port.WaitAvailable(before + int(bytes.size()), 10000), before + int(bytes.size()));
    }

    void SendFrames(uint32_t from, uint32_t count)
    {
        std::vector<uint8_t> bytes;
        for (uint32_t i = from; i < from + count; ++i) {
            const auto f = Frame(Sector(i));
            bytes.insert(bytes.end(), f.begin(), f.end());
        }
        Send(bytes);
    }

    std::vector<uint8_t> FileBytes() const
    {
        std::ifstream in(m_Dir.File("out.экг"), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::vector<uint8_t> Sectors(uint32_t count) const
    {
        std::vector<uint8_t> all;
        for (uint32_t i = 0; i < count; ++i) {
            const auto s = Sector(i);
            all.insert(all.end(), s.begin(), s.end());
        }
        return all;
    }

    int m_Master = -1;
    OComPort m_Port;
    TempDir m_Dir;
    ORecordingFile m_File;
};
