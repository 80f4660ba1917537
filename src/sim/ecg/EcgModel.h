#pragma once
// Synthetic ECG in the manner of McSharry et al. (2003), "A dynamical model
// for generating synthetic electrocardiogram signals": a point circles the
// unit cycle once per beat, and the P, Q, R, S and T waves are Gaussians in
// its angle (the phase-domain solution of the model's z equation), with
// widths that narrow as the rate rises. Beat-to-beat intervals vary with a
// respiratory (0.25 Hz) and a Mayer-wave (0.1 Hz) component plus jitter;
// the output adds baseline wander, mains hum and white noise, and, inside
// chosen stretches, the spikes and wander of an electrode about to come off.
//
// With a rhythm set (OEcgRhythm, EcgRhythm.h: premature beats, runs,
// bigeminy, atrial fibrillation) the heart is drawn in time instead: the
// beats are planned one by one (EcgRhythmPlanner), each a sum of Gaussian
// waves around its R-peak (EcgBeatShapes; the normal beat is the one
// above), and during atrial fibrillation small 4-9 Hz f-waves replace the
// P-waves.
// Without a rhythm the signal is what it always was, sample for sample.
//
// Samples are the device's: one every 1.024 ms, whole numbers around 5000
// within 0..10230, stored as 16-bit words in recording sectors.
#include "EcgBeatShapes.h"
#include "EcgRandom.h"
#include "EcgRhythm.h"
#include "EcgRhythmPlanner.h"

#include <cstdint>
#include <deque>
#include <vector>

// A stretch of electrode noise, in seconds from the start of the signal.
struct OEcgNoiseStretch {
    double startSeconds = 0;
    double seconds = 0;
};

struct OEcgModelOptions {
    double bpm = 70;           // mean heart rate
    uint32_t seed = 1;         // same seed, same signal
    double variability = 0.04; // depth of the interval modulation (fraction)
    double rAmplitude = 1200;  // height of the R-wave, counts
    double baseline = 5000;    // counts
    double wander = 150;       // baseline wander amplitude, counts
    double noise = 6;          // white noise RMS, counts
    std::vector<OEcgNoiseStretch> electrodeNoise;
    OEcgRhythm rhythm; // sinus rhythm unless set
};

class OEcgModel {
public:
    static constexpr double kSampleRate = 976.5625;

    explicit OEcgModel(const OEcgModelOptions& options);

    // The next sample, 0..10230.
    uint16_t Next();
    void Generate(uint16_t* out, int64_t count);

    // Index of the sample Next() returns next (0 for the first).
    int64_t SampleIndex() const { return m_Index; }
    // Indices of the true R-peaks generated so far, ascending.
    const std::vector<int64_t>& RPeaks() const { return m_RPeaks; }
    // The class of each of those beats: 'N', 'S' or 'V'.
    const std::vector<char>& BeatClasses() const { return m_Classes; }
    // The episodes whose last beat has been generated.
    const std::vector<OEcgEvent>& Events() const { return m_Events; }
    // The three above together.
    OEcgTruth Truth() const { return {m_RPeaks, m_Classes, m_Events}; }
    // Forgets the R-peaks, classes and events collected so far (a long live
    // stream).
    void ClearRPeaks();
    // True when sample index lies in an electrode-noise stretch.
    bool InNoise(int64_t index) const;

private:
    struct OBeat {
        double seconds;
        int64_t sample;
        char beatClass;
        bool counted;
        OEcgBeatShape shape;
    };

    double Gaussian() { return m_Random.Gaussian(); }
    double Uniform() { return m_Random.Uniform(); }
    void StartBeat();
    double SinusHeart();
    double RhythmHeart(double t);
    double FibrillatoryWaves(double t) const;
    double Artifact(double t);

    OEcgModelOptions m_Options;
    OEcgRandom m_Random;
    int64_t m_Index = 0;
    double m_Theta;     // angle on the cycle, -pi..pi; R at 0
    double m_Omega = 0; // radians per sample of the current beat
    double m_Widths[5]; // wave widths for the current rate
    double m_Angles[5];
    double m_RateFactor = 1;
    double m_Phase1, m_Phase2, m_HumPhase;
    double m_ArtifactLevel = 0; // low-passed motion artifact
    double m_Spike = 0;
    std::vector<int64_t> m_RPeaks;
    std::vector<char> m_Classes;
    std::vector<OEcgEvent> m_Events;
    // The rhythm heart: its planner, the beats around the present sample and
    // the events not yet over.
    bool m_HasRhythm = false;
    OEcgRhythmPlanner m_Planner;
    std::deque<OBeat> m_Beats;
    std::vector<OEcgEvent> m_Pending;
};
