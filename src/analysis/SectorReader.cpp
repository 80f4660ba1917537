#include "SectorReader.h"

#include "EcgTime.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

int64_t ReadSectorsAt(int fd, int64_t first, int64_t count, uint8_t* buffer, int* error)
{
    const size_t wanted = static_cast<size_t>(count) * kSectorBytes;
    size_t got = 0;
    while (got < wanted) {
        const ssize_t n = ::pread(fd, buffer + got, wanted - got, first * kSectorBytes + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && error)
            *error = errno;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(got / kSectorBytes);
}

OSectorReader::OSectorReader(const OEcgFile& file, int64_t chunkSectors)
    : OSectorReader(file.Descriptor(), file.SectorCount(), chunkSectors)
{
}

OSectorReader::OSectorReader(int fd, int64_t sectorCount, int64_t chunkSectors)
    : m_Fd(fd), m_SectorCount(sectorCount), m_Chunk(std::max<int64_t>(1, chunkSectors))
{
}

void OSectorReader::Fill(int64_t first, int64_t count)
{
    count = std::max<int64_t>(0, std::min(count, m_SectorCount - first));
    if (m_Buffer.size() < static_cast<size_t>(count) * kSectorBytes)
        m_Buffer.resize(static_cast<size_t>(count) * kSectorBytes);
    m_First = first;
    m_Count = count > 0 ? ReadSectorsAt(m_Fd, first, count, m_Buffer.data(), &m_Errno) : 0;
}

const uint8_t* OSectorReader::Sector(int64_t k)
{
    k = std::min(k, m_SectorCount - 1);
    if (k < 0)
        return nullptr;
    if (k < m_First || k >= m_First + m_Count) {
        Fill(k / m_Chunk * m_Chunk, m_Chunk);
        if (k >= m_First + m_Count)
            return nullptr;
    }
    return m_Buffer.data() + (k - m_First) * kSectorBytes;
}

const uint8_t* OSectorReader::Sectors(int64_t first, int64_t count, int64_t* available)
{
    *available = 0;
    if (first < 0 || count <= 0 || first >= m_SectorCount)
        return nullptr;
    const int64_t wanted = std::min(count, m_SectorCount - first);
    if (first < m_First || first + wanted > m_First + m_Count)
        Fill(first, std::max(wanted, m_Chunk));
    if (first < m_First || first >= m_First + m_Count)
        return nullptr;
    *available = std::min(wanted, m_First + m_Count - first);
    return m_Buffer.data() + (first - m_First) * kSectorBytes;
}
