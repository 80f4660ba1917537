#include "SectorReader.h"

#include "EcgTime.h"

#include <algorithm>

OSectorReader::OSectorReader(const OEcgFile& file, int64_t chunkSectors)
    : m_File(file), m_Chunk(std::max<int64_t>(1, chunkSectors))
{
}

void OSectorReader::Fill(int64_t first, int64_t count)
{
    count = std::max<int64_t>(0, std::min(count, m_File.SectorCount() - first));
    if (m_Buffer.size() < static_cast<size_t>(count) * kSectorBytes)
        m_Buffer.resize(static_cast<size_t>(count) * kSectorBytes);
    m_First = first;
    m_Count = count > 0 ? m_File.ReadSectors(first, count, m_Buffer.data(), &m_Errno) : 0;
}

const uint8_t* OSectorReader::Sector(int64_t k)
{
    k = std::min(k, m_File.SectorCount() - 1);
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
    if (first < 0 || count <= 0 || first >= m_File.SectorCount())
        return nullptr;
    const int64_t wanted = std::min(count, m_File.SectorCount() - first);
    if (first < m_First || first + wanted > m_First + m_Count)
        Fill(first, std::max(wanted, m_Chunk));
    if (first < m_First || first >= m_First + m_Count)
        return nullptr;
    *available = std::min(wanted, m_First + m_Count - first);
    return m_Buffer.data() + (first - m_First) * kSectorBytes;
}
