#pragma once
// A pseudo-terminal pair: the test holds the master and plays the device, the
// port under test opens the slave path.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

struct PtyPair {
    int master = -1;
    std::string slavePath;

    PtyPair()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slavePath = ::ptsname(master);
    }
    ~PtyPair() { HangUp(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    void HangUp()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

    // Writes the whole block (the write blocks while the port's side is full).
    bool WriteAll(const void* data, size_t length) const
    {
        const auto* bytes = static_cast<const uint8_t*>(data);
        while (length > 0) {
            const ssize_t written = ::write(master, bytes, length);
            if (written <= 0)
                return false;
            bytes += written;
            length -= static_cast<size_t>(written);
        }
        return true;
    }

    // Reads exactly length bytes the port sent.
    bool ReadAll(void* data, size_t length) const
    {
        auto* bytes = static_cast<uint8_t*>(data);
        while (length > 0) {
            const ssize_t got = ::read(master, bytes, length);
            if (got <= 0)
                return false;
            bytes += got;
            length -= static_cast<size_t>(got);
        }
        return true;
    }
};

// A byte sequence that does not repeat with the ring's size, so that a byte
// overwritten or delivered twice shows up as a mismatch.
inline uint8_t PatternByte(uint64_t index)
{
    return static_cast<uint8_t>((static_cast<uint32_t>(index) * 0x9E3779B1u) >> 24);
}
