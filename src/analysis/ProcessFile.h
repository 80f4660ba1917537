#pragma once
// The processing pass over an open recording: filtered ECG, threshold,
// R-peaks with flags and defects, pulse rate, temperature and CCP1
// frequencies, all into the file's channel arrays.
//
// Runs on the analysis window's worker thread (which sets its own low
// priority); the window and its wait dialog meet the pass only through the
// atomics of OProcessControl.
#include "OEKGFilter.h"
#include "OEcgFile.h"

#include <atomic>
#include <cstdint>

struct OProcessControl {
    std::atomic<int32_t> cancel{0};   // nonzero: stop before the next sector
    std::atomic<int32_t> progress{0}; // index of the sector being read
    std::atomic<int32_t> impulses{0}; // impulses found so far
};

// One pass with the filter's stored parameters (reloaded by Prepare). Ends
// early at a short read or when cancelled, keeping what was produced.
// Returns the number of sectors processed.
int64_t ProcessFile(OEcgFile& file, OEKGFilter& filter, OProcessControl& control);
