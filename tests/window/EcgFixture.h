#pragma once
// Small ".экг" recordings written sector by sector for the window's tests.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct FixtureSector {
    int8_t wholeDegrees = 36;
    uint8_t countRemaining = 8;
    uint8_t countsPerDegree = 16;
    uint16_t accelSums[3] = {0, 0, 0};
    uint8_t accelCount = 0;
};

// Writes `sectors` sectors; sample(i) gives raw sample i of the recording,
// sector(k) fills the auxiliary fields of sector k.
void WriteRecording(const std::string& path, int sectors, const std::function<uint16_t(int64_t)>& sample,
                    const std::function<FixtureSector(int)>& sector = nullptr);

// Sample i of a plain ECG at `bpm` beats per minute: a baseline with narrow
// triangular R waves; silent (baseline only) inside [gapFrom, gapTo) seconds.
uint16_t SyntheticEcg(int64_t i, double bpm = 72.0, double gapFrom = -1, double gapTo = -1);
