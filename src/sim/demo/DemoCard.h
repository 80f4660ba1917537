#pragma once
// The demo card: a few synthetic recordings that show what the PC side must
// cope with, and a truth file listing each recording's sectors, its true
// R-peaks with their classes and its rhythm events, so that detection,
// classification and event finding can be scored.
//
//   recording 1: ten minutes at about 70 bpm from 0x10000
//   ten unwritten sectors
//   recording 2: two minutes at about 120 bpm with a stretch of electrode noise
//   recording 3: a single sector
//   recording 4: five minutes at about 75 bpm with ectopy (EctopySchedule:
//                isolated PVCs and APCs, a couplet, a VT run, bigeminy,
//                trigeminy, an SVT run and 66 s of atrial fibrillation)
//   first free sector: right after recording 4
//
// The truth file "<card>.truth.tsv", one line each, tab-separated:
//   recording  FIRST  LAST
//   rpeak      FIRST  SAMPLE  CLASS                       (N, S or V)
//   event      FIRST  KIND  START  END  BEATS  MEAN_BPM    (KIND: AF, VT,
//              COUPLET, BIGEMINY, TRIGEMINY, SVT; START and END samples of
//              its first and last beat)
// FIRST is the recording's first sector, SAMPLE counts from its first sample.
// Readers take the columns they know and skip lines of other kinds.
#include "EcgRhythm.h"

#include <cstdint>
#include <string>
#include <vector>

struct DemoRecording {
    uint32_t first = 0;
    uint32_t last = 0;
    std::vector<int64_t> rPeaks; // sample indices from the recording's first sample
    std::vector<char> classes;   // of each R-peak: 'N', 'S' or 'V'
    std::vector<OEcgEvent> events;
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
// The recording with ectopy and rhythm events (0-based in DemoLayout).
inline constexpr size_t kDemoEctopyRecording = 3;
