#pragma once
// Sectors of an open recording read in chunks through its descriptor, so that
// the export does not pull the whole mapping into memory.
#include "OEcgFile.h"

#include <cstdint>
#include <vector>

class OSectorReader {
public:
    explicit OSectorReader(const OEcgFile& file);
    // Sector k of the recording; k past the end gives the last sector (the
    // padding of the last data record). nullptr when the file could not be read.
    const uint8_t* Sector(int64_t k);
    int Errno() const { return m_Errno; } // of the last failed read

private:
    const OEcgFile& m_File;
    std::vector<uint8_t> m_Buffer;
    int64_t m_First = 0, m_Count = 0;
    int m_Errno = 0;
};
