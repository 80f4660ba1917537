#include "OSimCard.h"

#include "Fatal.h"
#include "StrFormat.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteState(const std::string& cardPath, uint32_t firstFree)
{
    const std::string path = OSimCard::StatePath(cardPath);
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << StrFormat("0x%x\n", firstFree);
        if (!out.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::string ErrnoText(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + SystemErrorText(static_cast<uint32_t>(errno));
}

} // namespace

bool OSimCard::Create(const std::string& path, uint64_t sizeBytes, std::string& error)
{
    if (sizeBytes < 512) {
        error = "card size must be at least one sector";
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = ErrnoText("cannot create", path);
        return false;
    }
    const bool sized = ::ftruncate(fd, static_cast<off_t>(sizeBytes / 512 * 512)) == 0;
    if (!sized)
        error = ErrnoText("cannot size", path);
    ::close(fd);
    if (!sized)
        return false;
    if (!WriteState(path, kInitialFirstFree)) {
        error = ErrnoText("cannot write", StatePath(path));
        return false;
    }
    return true;
}

OSimCard::~OSimCard()
{
    if (m_Fd >= 0)
        ::close(m_Fd);
}

bool OSimCard::Open(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = ErrnoText("cannot open card", path);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = ErrnoText("cannot stat card", path);
        ::close(fd);
        return false;
    }
    if (m_Fd >= 0)
        ::close(m_Fd);
    m_Fd = fd;
    m_Path = path;
    m_Sectors = static_cast<uint64_t>(info.st_size) / 512;
    // A card without a state file starts like a freshly formatted one.
    m_FirstFree = kInitialFirstFree;
    std::ifstream state(StatePath(path));
    std::string word;
    if (state >> word) {
        char* end = nullptr;
        const unsigned long long value = std::strtoull(word.c_str(), &end, 16);
        if (end != word.c_str() && value <= 0xFFFFFFFFull)
            m_FirstFree = static_cast<uint32_t>(value);
    }
    return true;
}

bool OSimCard::ReadSector(uint32_t sector, uint8_t* out512) const
{
    if (m_Fd < 0 || !Contains(sector))
        return false;
    const ssize_t got = ::pread(m_Fd, out512, 512, static_cast<off_t>(sector) * 512);
    return got == 512;
}

bool OSimCard::WriteSector(uint32_t sector, const uint8_t* in512)
{
    if (m_Fd < 0 || !Contains(sector))
        return false;
    return ::pwrite(m_Fd, in512, 512, static_cast<off_t>(sector) * 512) == 512;
}

bool OSimCard::SetFirstFree(uint32_t value)
{
    m_FirstFree = value;
    return m_Path.empty() || WriteState(m_Path, value);
}
