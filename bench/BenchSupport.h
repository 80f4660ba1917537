#pragma once
// What the benchmarks share: clocks and the synthetic day-long recording they
// measure on.
#include "OEcgFile.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// 360000 sectors: 24 hours of samples.
inline constexpr int64_t kBenchDaySectors = 360000;

double Seconds(std::chrono::steady_clock::time_point since);
// CPU time of the calling thread: on a shared machine the wall time also
// counts the time other processes had the core.
double ThreadCpuSeconds();

// Writes a synthetic recording of `sectors` sectors (the ECG model with seed
// 24) to path; false when the file cannot be written. rPeaks, when given,
// receives the model's R-peak sample indices.
bool WriteBenchRecording(const std::string& path, int64_t sectors, std::vector<int64_t>* rPeaks = nullptr);

// A week-long recording (kBenchWeekSectors of the same model, its sector
// numbers and ticks running on), written once into the build folder and
// reused by later runs; empty when it cannot be written.
inline constexpr int64_t kBenchWeekSectors = 7 * kBenchDaySectors;
std::string WeekRecordingPath();

// Opens path and runs one processing pass with the stored parameters over it;
// nullptr when the file cannot be opened.
std::unique_ptr<OEcgFile> OpenAndProcess(const std::string& path);
