#pragma once
// The precise R-peak detector, the choice "точный" of the filter parameter
// "Detector". It fills the same impulse array as OEKGFilter's own detector.
//
// Method, after Pan and Tompkins (1985) with the decision rules of Hamilton
// and Tompkins (1986): the raw signal is summed in fours (244.14 Hz), band-
// passed (two 7-sample boxes, minus a 160 ms mean: about 5 to 15 Hz),
// differentiated (five-point slope), squared and integrated over 150 ms.
// Every local maximum of the integrated signal is a peak. A peak above
// NPK + 0.25·(SPK - NPK) (running signal and noise peak levels, weight 1/8)
// is a beat, unless it lies within 200 ms of the last beat (refractory) or
// within 360 ms with less than half the last beat's steepest slope (a
// T-wave). When no beat came for 1.66 mean R-R intervals, the highest peak
// since the last beat above half that threshold is taken (search-back).
// Squaring makes both QRS polarities alike. The R-peak is placed at the
// band-passed extreme and then on the raw sample that stands out most from
// its neighbours 20 ms away, in the extreme's direction.
//
// Flags (OImpulse::Flags) mean what they mean to the pulse rate: a beat the
// detector doubts, and nothing else.
//   kImpulseDoubtful (1): a beat found only by search-back with less than a
//     quarter of the signal level, a beat with at least two noise peaks of
//     half its height since the previous beat, or a clipped (saturated) beat;
//   kImpulseEdge (4): the first and the last impulse of the pass, as always.
// Peak holds the integrated signal's height, Defect the noise level relative
// to the signal level at that beat (0 on clean signal).
//
// Measured with bench_detection (150 ms, one-to-one), see the README for the
// whole table: (filled in below when measured).
//
// Cost: a few integer operations per raw sample and per fourth sample the
// filter chain; fixed rings of about 20 KiB, nothing allocated per sample.
#include "OImpulse.h"

#include <cstdint>

class OPreciseDetector {
public:
    OPreciseDetector();

    // Starts a pass writing at most capacity impulses.
    void Start(OImpulse* impulses, int64_t capacity);
    // Raw samples in order (whole numbers, the device's words).
    void Process(const double* x, int count);
    // Decides the last pending peak and marks the first and last impulse.
    void Finish();

    int64_t Count() const { return m_Count; }

private:
    static constexpr int kDecimation = 4;
    static constexpr uint32_t kRawMask = 4095;
    static constexpr uint32_t kDecMask = 511;
    static constexpr int kMaxPeaks = 64; // noise peaks kept since the last beat

    struct OPeak {
        int32_t index;  // decimated index of the integrated maximum
        int32_t pos;    // raw sample index of the R-peak
        double height;  // integrated signal
        double slope;   // steepest slope within the integration window
        bool saturated; // clipped at the peak
    };

    void Step(int32_t decimatedSum);
    void Emit(int32_t index, double height);
    void Classify(const OPeak& p);
    void Accept(const OPeak& p, bool searchBack);
    void SearchBack();
    void Learn();
    int32_t Refine(int32_t bpIndex, int sign, bool& saturated) const;
    double Threshold() const { return m_Npk + 0.25 * (m_Spk - m_Npk); }

    OImpulse* m_Impulses = nullptr;
    int64_t m_Capacity = 0;
    int64_t m_Count = 0;

    // Filter chain.
    int32_t m_Raw[kRawMask + 1];
    int32_t m_RawIndex = 0; // raw samples taken
    int32_t m_Sum4 = 0;
    int32_t m_Dec[kDecMask + 1];
    int32_t m_Box1[kDecMask + 1];
    int32_t m_Lp[kDecMask + 1];
    int32_t m_Bp[kDecMask + 1];
    int32_t m_Slope[kDecMask + 1]; // |derivative|
    int64_t m_Sq[kDecMask + 1];
    int64_t m_SumBox1 = 0, m_SumBox2 = 0, m_SumHp = 0, m_SumMwi = 0;
    int32_t m_K = 0; // decimated samples taken

    // Peak finder on the integrated signal.
    bool m_Rising = false;
    int64_t m_Previous = 0;
    int64_t m_Max = 0;
    int32_t m_MaxIndex = 0;

    // Decision.
    bool m_Learning = true;
    bool m_Replaying = false; // deciding the peaks of the learning span
    OPeak m_Learnt[kMaxPeaks];
    int m_LearntCount = 0;
    double m_Spk = 0, m_Npk = 0;
    bool m_HaveBeat = false;
    OPeak m_Last{};
    int32_t m_Rr[8] = {};
    int m_RrCount = 0;
    double m_RrMean = 244; // decimated samples
    OPeak m_Noise[kMaxPeaks];
    int m_NoiseCount = 0;
    int m_NoiseSearched = -1; // candidates already searched back
    int32_t m_LastLowering = 0;
    int64_t m_IntervalMin = 0; // lowest integrated value since the last beat
    bool m_InNoise = false;    // the last beat was judged noisy
};
