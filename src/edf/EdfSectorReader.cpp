#include "EdfSectorReader.h"

#include "EcgTime.h"
#include "EdfLayout.h"

#include <algorithm>

namespace {

constexpr int64_t kChunkSectors = 25 * kEdfSectorsPerRecord; // 62.5 KiB per read

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
        m_Count = m_File.ReadSectors(m_First, std::min(kChunkSectors, m_File.SectorCount() - m_First), m_Buffer.data(),
                                     &m_Errno);
        if (k >= m_First + m_Count)
            return nullptr;
    }
    return m_Buffer.data() + (k - m_First) * kSectorBytes;
}
