#pragma once
// The processing pass over an open recording: R-peaks with flags, defects and
// beat classes, pulse rate, temperature and CCP1 frequencies into the file's
// channel arrays, and for the window what the chart needs to show the
// filtered ECG and the threshold (OPassDisplay). No per-sample array is kept.
//
// Runs on the analysis window's worker thread (which sets its own low
// priority); the window and its wait dialog meet the pass only through the
// atomics of OProcessControl.
#include "OEKGFilter.h"
#include "OEcgFile.h"

#include <atomic>
#include <climits>
#include <cstdint>

struct OProcessControl {
    std::atomic<int32_t> cancel{0};   // nonzero: stop before the next sector
    std::atomic<int32_t> progress{0}; // index of the sector being read
    std::atomic<int32_t> impulses{0}; // impulses found so far
};

// What a pass keeps beyond the channels. The command line wants nothing
// more; the window asks for the display data.
// Sample positions are 32-bit; longer files (over three weeks) are processed
// up to this many sectors.
inline constexpr int64_t kMaxPassSectors = INT32_MAX / 234; // 234 samples a sector

struct OPassOutputs {
    bool display = false; // OEcgFile::Display(): checkpoints and block extremes
    // m_FMs, the CCP1 frequencies (16 bytes a sector, 40 MB for a week): left
    // empty by a caller whose outputs do not show them.
    bool frequencies = true;
};

// One pass with the filter's stored parameters (reloaded by Prepare). Ends
// early at a short read or when cancelled, keeping what was produced.
// Returns the number of sectors processed. With the precise detector and no
// display data the standard filter does not run at all: nothing reads it.
int64_t ProcessFile(OEcgFile& file, OEKGFilter& filter, OProcessControl& control, const OPassOutputs& outputs = {});
