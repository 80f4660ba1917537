#include "EdfSectorReader.h"

#include "EcgTime.h"
#include "EdfLayout.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace {

constexpr int64_t kChunkSectors = 25 * kEdfSectorsPerRecord; // 62.5 KiB per read

// Reads sectors [first, first + count); returns how many came.
int64_t ReadSectors(int fd, int64_t first, int64_t count, uint8_t* buffer, int& error)
{
    const size_t wanted = static_cast<size_t>(count) * kSectorBytes;
    size_t got = 0;
    while (got < wanted) {
        const ssize_t n = ::pread(fd, buffer + got, wanted - got, first * kSectorBytes + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(got / kSectorBytes);
}

} // namespace

OSectorReader::OSectorReader(const OEcgFile& file)
    : m_File(file), m_Buffer(static_cast<size_t>(kChunkSectors) * kSectorBytes)
{
}

const uint8_t* OSectorReader::Sector(int64_t k)
{
    k = std::min(k, m_File.SectorCount() - 1);
    if (k < m_First || k >= m_First + m_Count) {
        m_First = k / kChunkSectors * kChunkSectors;
        m_Count = ReadSectors(m_File.Descriptor(), m_First, std::min(kChunkSectors, m_File.SectorCount() - m_First),
                              m_Buffer.data(), m_Errno);
        if (k >= m_First + m_Count)
            return nullptr;
    }
    return m_Buffer.data() + (k - m_First) * kSectorBytes;
}
