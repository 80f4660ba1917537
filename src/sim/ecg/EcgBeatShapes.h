#pragma once
// The waves of one beat in time, for the rhythm heart of the ECG model: each
// wave a Gaussian at an offset from the R-peak, with a width and a height
// relative to the R-wave of a normal beat. The normal beat is the sinus
// model's (the same waves, angles turned into seconds): P, QRS and widths
// follow the sinus cycle, the T-wave mostly that and a little the interval
// before the beat.
//   'N' sinus beat: P, Q, R, S, T.
//   'A' a beat conducted during atrial fibrillation: as 'N' without P.
//   'S' atrial premature beat: the QRS and T of 'N', but an inverted,
//       narrower P from a low atrial focus and a shorter PR interval.
//   'V' ventricular beat: no P, a broad R with a broad S after it (QRS of
//       about 140 ms) and a T-wave opposite to the QRS (discordant).
struct OEcgWave {
    double offset = 0; // seconds from the R-peak
    double width = 0;  // Gaussian sigma, seconds
    double height = 0; // relative to a normal R-wave
};

struct OEcgBeatShape {
    static constexpr int kMaxWaves = 6;
    OEcgWave waves[kMaxWaves];
    int count = 0;
};

// sinusRr: the sinus cycle at the beat (seconds); rrBefore: the interval
// from the beat before.
OEcgBeatShape MakeEcgBeatShape(char form, double sinusRr, double rrBefore);
