#pragma once
// Frequency domain of the NN series, as the report states it: in each
// 5-minute segment with at least 270 s of NN, the NN values (placed at the
// times of their second beats) interpolated linearly onto the segment's 1200
// points at 4 Hz (t = start + j / 4; held constant beyond the first and last
// NN), mean removed, periodic Hann window w, FFT without zero padding;
// one-sided PSD = 2 |X(f)|² / (4 Hz · Σ w²) in ms²/Hz (not doubled at 0 and
// at 2 Hz); the segments' PSDs averaged; band power = Σ PSD · (1/300 Hz) over
// the bins with lo <= f < hi: VLF 0.0033-0.04 Hz, LF 0.04-0.15 Hz,
// HF 0.15-0.40 Hz (ms²); LF/HF.
#include "HrvMetrics.h"

#include <optional>
#include <vector>

inline constexpr double kPsdRateHz = 4;
inline constexpr int kPsdPoints = 1200; // 300 s at 4 Hz
inline constexpr double kPsdMinNnS = 270;
inline constexpr double kPsdBinHz = kPsdRateHz / kPsdPoints; // 1/300 Hz

struct OBand {
    const char* name;
    double lowHz, highHz;
};
inline constexpr OBand kVlf{"VLF", 0.0033, 0.04};
inline constexpr OBand kLf{"LF", 0.04, 0.15};
inline constexpr OBand kHf{"HF", 0.15, 0.40};

struct OFrequencyDomain {
    int segmentsUsed = 0;
    std::vector<double> psd; // averaged, bin k at k / 300 Hz; empty without a segment
    std::optional<double> vlf, lf, hf, lfHf;
};

OFrequencyDomain FrequencyDomain(const std::vector<ORrInterval>& rr);

// Σ PSD · bin width over the bins with low <= f < high.
double BandPower(const std::vector<double>& psd, const OBand& band);
