#include "SyntheticBeats.h"

#include "EcgTime.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

struct OWave {
    double amplitude; // device units (1000 per millivolt)
    double atMs;      // centre, from the R-peak
    double widthMs;   // standard deviation
};

const std::vector<OWave>& Shape(char kind)
{
    static const std::vector<OWave> normal = {
        {150, -180, 22}, {-100, -28, 7}, {1200, 0, 9}, {-250, 26, 8}, {300, 260, 45}};
    static const std::vector<OWave> atrial = {
        {-120, -150, 18}, {-100, -28, 7}, {1200, 0, 9}, {-250, 26, 8}, {300, 260, 45}};
    static const std::vector<OWave> ventricular = {{1400, 0, 30}, {-900, 85, 32}, {-450, 320, 65}};
    static const std::vector<OWave> otherFocus = {{-1400, 0, 30}, {900, 85, 32}, {450, 320, 65}};
    return kind == 'V' ? ventricular : kind == 'W' ? otherFocus : kind == 'A' ? atrial : normal;
}

} // namespace

OSyntheticEcg MakeSyntheticEcg(const std::vector<OSyntheticBeat>& beats)
{
    OSyntheticEcg ecg;
    const double msPerSample = kSamplePeriod * 1000;
    double t = 1000; // ms of the first R-peak
    std::vector<double> at;
    for (const OSyntheticBeat& b : beats) {
        t += at.empty() ? 0 : b.rrMs;
        at.push_back(t);
    }
    const auto total = static_cast<size_t>((t + 1500) / msPerSample);
    std::vector<double> x(total, 5000.0);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 1);
    for (size_t k = 0; k < beats.size(); ++k) {
        const auto r = static_cast<int64_t>(std::lround(at[k] / msPerSample));
        for (const OWave& w : Shape(beats[k].kind)) {
            const int64_t c = r + std::lround(w.atMs / msPerSample);
            const int64_t reach = std::lround(5 * w.widthMs / msPerSample);
            for (int64_t i = std::max<int64_t>(c - reach, 0); i < std::min<int64_t>(c + reach, int64_t(total)); ++i) {
                const double d = (i - c) * msPerSample / w.widthMs;
                x[size_t(i)] += w.amplitude * std::exp(-0.5 * d * d);
            }
        }
        if (beats[k].noisy)
            for (int64_t i = std::max<int64_t>(r - 400, 0); i < std::min<int64_t>(r + 400, int64_t(total)); ++i)
                if (std::abs(i - r) > 60)
                    x[size_t(i)] += beats[k].noiseSd * noise(random);
        OImpulse impulse{static_cast<int32_t>(r), 0, 1000.0, 0.001};
        ecg.impulses.push_back(impulse);
    }
    ecg.samples.resize(total);
    std::transform(x.begin(), x.end(), ecg.samples.begin(),
                   [](double v) { return static_cast<int16_t>(std::clamp(std::lround(v), 0L, 10230L)); });
    return ecg;
}

std::vector<OSyntheticBeat> BeatPattern(const std::string& pattern, double rrMs, double coupling)
{
    std::vector<OSyntheticBeat> beats;
    char before = 'N';
    for (const char c : pattern) {
        const char kind = c == 'n' ? 'N' : c;
        double rr = rrMs;
        if (kind == 'A' || kind == 'V' || kind == 'W')
            rr = coupling * rrMs; // a couplet's second beat follows at the same rate
        else if (before == 'V' || before == 'W')
            rr = (2 - coupling) * rrMs;
        beats.push_back({kind, rr, c == 'n'});
        before = kind;
    }
    return beats;
}

std::string ClassString(const std::vector<OImpulse>& impulses)
{
    std::string s;
    for (const OImpulse& i : impulses)
        s += i.Class ? i.Class : '0';
    return s;
}
