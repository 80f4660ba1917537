#pragma once
// A file checker's look at a recording file's sector headers: sectors without
// the recording signature, and signed sectors whose sector number or tick
// count does not follow from the signed sector before them. The analysis goes
// on regardless; this only says what does not look like a recording.
#include <cstdint>
#include <string>
#include <vector>

class OEcgFile;

inline constexpr uint32_t kTicksPerSector = 2340; // 0.239616 s in ticks of 0.1024 ms

struct ORecordingCheck {
    int64_t sectors = 0;
    int64_t withoutSignature = 0;       // sectors without the signature
    int64_t firstWithoutSignature = -1; // file sector index, -1 when none
    int64_t numberBreaks = 0;           // signed sectors whose sector number breaks the sequence
    int64_t firstNumberBreak = -1;
    int64_t tickBreaks = 0; // signed sectors whose tick count breaks the sequence
    int64_t firstTickBreak = -1;

    bool Ok() const { return withoutSignature == 0 && numberBreaks == 0 && tickBreaks == 0; }
    // One Russian line per finding (window and console); none when Ok.
    std::vector<std::string> Lines() const;
    // The same for brenna-cli analyse, in its "name: value" form.
    std::vector<std::string> CliLines() const;
};

// The check one sector header at a time, in file order: the processing pass
// feeds it the sectors it reads anyway, so that a large file is not read a
// second time for it (from a cold cache that costs as much as the reading).
class ORecordingChecker {
public:
    // header: the sector's first 16 bytes; k: its index in the file.
    void Add(int64_t k, const uint8_t* header);
    const ORecordingCheck& Result() const { return m_Check; }

private:
    ORecordingCheck m_Check;
    int64_t m_LastSigned = -1;
    uint32_t m_LastNumber = 0;
    uint32_t m_LastTicks = 0;
};

// Reads every sector's header, in chunks through the file's descriptor (the
// mapping stays untouched). The analysis window shows the processing pass's check instead
// (OEcgFile::PassCheck), which costs no reading of its own.
ORecordingCheck CheckRecordingSectors(const OEcgFile& file);

// Writes the lines to the console, nothing when the check is ok.
void ReportRecordingCheck(const ORecordingCheck& check);
