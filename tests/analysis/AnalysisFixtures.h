#pragma once
// Helpers shared by the analysis tests: recording files on disk, filter
// parameters in the settings, and scoring detected against true R-peaks.
#include "OImpulse.h"
#include "RecordingWriter.h"

#include <cstdint>
#include <string>
#include <vector>

// Writes bytes to path (created or truncated).
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Stores one filter parameter (physical units) in the settings.
void StoreParam(const char* name, int value);

// Matches detected to true peaks within the tolerance (samples), each true
// peak at most once.
struct OScore {
    int64_t truePositives = 0;
    int64_t falseNegatives = 0;
    int64_t falsePositives = 0;
    double Sensitivity() const { return truePositives / double(truePositives + falseNegatives); }
    double Predictivity() const { return truePositives / double(truePositives + falsePositives); }
};
OScore ScorePeaks(const std::vector<int64_t>& truth, const std::vector<int64_t>& detected, int64_t tolerance);

// Positions of impulses (all, or only the unflagged ones).
std::vector<int64_t> ImpulsePositions(const OImpulse* impulses, int64_t count, bool unflaggedOnly);

class OEcgFile;

// The filtered ECG and the threshold of a whole recording by output position,
// as a plain sequential run of OEKGFilter over every raw sample gives them
// (the pass once stored exactly these arrays): the yardstick for everything
// that recomputes them. threshold: the detector runs (the standard one);
// without it the threshold stays 0, as with the precise detector.
struct OReferenceRun {
    std::vector<int16_t> filtered, threshold;
};
OReferenceRun ReferenceFilterRun(const OEcgFile& file, bool threshold);
