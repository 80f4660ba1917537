#include "BeatRunContext.h"

#include "EcgTime.h"

#include <algorithm>

namespace beat {

void KeepVentricularRuns(OImpulse* impulses, int64_t count, const std::vector<uint8_t>& noisyVentricular,
                         const std::vector<uint8_t>& flutter,
                         const std::function<double(int64_t, int64_t)>& templateMatch)
{
    const double pace = 60.0 / kRunPaceBpm * kSampleRate; // samples
    const auto ventricular = [&](int64_t k) { return k >= 0 && k < count && impulses[k].Class == kBeatVentricular; };
    const auto atPace = [&](int64_t k) { // the interval ending at beat k
        const int64_t gap = int64_t(impulses[k].Pos) - impulses[k - 1].Pos;
        return gap > 0 && double(gap) <= pace;
    };
    // Beats first .. first + 2 are a run with i in it.
    const auto run = [&](int64_t i, int64_t first) {
        if (first < 0 || first + 2 >= count)
            return false;
        for (int64_t k = first; k <= first + 2; ++k)
            if (k != i && !ventricular(k))
                return false;
        return atPace(first + 1) && atPace(first + 2);
    };
    std::vector<int64_t> changed;
    for (int64_t i = 0; i < count; ++i) {
        if (!noisyVentricular[size_t(i)] || !(run(i, i - 2) || run(i, i - 1) || run(i, i)))
            continue;
        const int64_t from = std::max<int64_t>(0, i - kFlutterMargin), to = std::min(count - 1, i + kFlutterMargin);
        if (std::any_of(flutter.begin() + from, flutter.begin() + to + 1, [](uint8_t f) { return f != 0; }))
            continue;
        if ((ventricular(i - 1) && templateMatch(i, i - 1) >= kRunShapeMatch) ||
            (ventricular(i + 1) && templateMatch(i, i + 1) >= kRunShapeMatch))
            changed.push_back(i);
    }
    for (const int64_t i : changed)
        impulses[i].Class = kBeatVentricular;
}

} // namespace beat
