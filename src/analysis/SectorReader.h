#pragma once
// Sectors of an open recording read in chunks through its descriptor. The
// command line's readers go through it instead of the mapping: a mapped page
// once touched counts in the process's resident memory until the file is
// closed, so reading a week-long file through the mapping would hold the
// whole file; read into one chunk buffer it holds a few dozen KiB.
#include "OEcgFile.h"

#include <cstdint>
#include <vector>

inline constexpr int64_t kSectorReaderChunk = 128; // 64 KiB per read

// Reads whole sectors [first, first + count) of the recording open on fd into
// buffer, as OEcgFile::ReadSectors does; returns how many came.
int64_t ReadSectorsAt(int fd, int64_t first, int64_t count, uint8_t* buffer, int* error = nullptr);

class OSectorReader {
public:
    explicit OSectorReader(const OEcgFile& file, int64_t chunkSectors = kSectorReaderChunk);
    // The recording open on fd, sectorCount sectors long (a descriptor of the
    // reader's user, which may outlive the OEcgFile).
    OSectorReader(int fd, int64_t sectorCount, int64_t chunkSectors = kSectorReaderChunk);
    // Sector k of the recording, read with the aligned chunk around it; k past
    // the end gives the last sector (the padding of the EDF export's last data
    // record). nullptr when the file could not be read.
    const uint8_t* Sector(int64_t k);
    // Sectors [first, first + count) one after the other in memory; *available
    // says how many of them there are (fewer at the end of the file or after a
    // read error, 0 before its start). A range past the buffer's is read from
    // first on, at least a chunk, so that increasing ranges cost one read per
    // chunk whatever their overlap.
    const uint8_t* Sectors(int64_t first, int64_t count, int64_t* available);
    int Errno() const { return m_Errno; } // of the last failed read

private:
    void Fill(int64_t first, int64_t count);

    int m_Fd;
    int64_t m_SectorCount;
    int64_t m_Chunk;
    std::vector<uint8_t> m_Buffer;
    int64_t m_First = 0, m_Count = 0;
    int m_Errno = 0;
};
