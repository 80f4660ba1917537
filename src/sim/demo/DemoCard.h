#pragma once
// The demo card: a few synthetic recordings that show what the PC side must
// cope with, and a truth file listing each recording's sectors and its true
// R-peaks so that detection can be scored.
//
//   recording 1: ten minutes at about 70 bpm from 0x10000
//   ten unwritten sectors
//   recording 2: two minutes at about 120 bpm with a stretch of electrode noise
//   recording 3: a single sector
//   first free sector: right after recording 3
#include <cstdint>
#include <string>
#include <vector>

struct DemoRecording {
    uint32_t first = 0;
    uint32_t last = 0;
    std::vector<int64_t> rPeaks; // sample indices from the recording's first sample
};

// The recordings of the demo card (contents generated on the fly).
struct DemoLayout {
    std::vector<DemoRecording> recordings;
    uint32_t firstFree = 0;
};

// Writes the recordings into the card (already created) and sets its first
// free sector; writes "<card>.truth.tsv" beside it.
bool WriteDemoCard(const std::string& cardPath, DemoLayout& layout, std::string& error);

inline constexpr uint32_t kDemoGapSectors = 10;
