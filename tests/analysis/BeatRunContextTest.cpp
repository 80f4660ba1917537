// A noisy beat inside a ventricular run keeps the run's class, at the bounds
// of the rule: three in a row, each interval at 100 bpm or faster (585.9
// samples), a template matching a ventricular neighbour's by 0.8, no wave of
// flutter within two beats.
#include "BeatRunContext.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace beat;

// 100 bpm is 585.94 samples: 585 is just faster, 586 just slower.
constexpr int32_t kFaster100 = 585, kSlower100 = 586;

struct ORunContextCase {
    const char* name;
    std::string classes; // 'N', 'V', and '*' the noisy ventricular-shaped beat (Q)
    int32_t pace;        // samples between the beats from the first non-N one on
    double match = 0.9;  // the templates' correlation
    int flutterAt = -1;  // a wave of flutter at this beat
    char expected = 'V'; // the noisy beat's class afterwards
};

void PrintTo(const ORunContextCase& c, std::ostream* os)
{
    *os << c.name;
}

class RunContext : public testing::TestWithParam<ORunContextCase> {};

TEST_P(RunContext, NoisyBeatJoinsARunOnlyInsideTheBounds)
{
    const ORunContextCase& c = GetParam();
    std::vector<OImpulse> beats;
    std::vector<uint8_t> noisy, flutter(c.classes.size(), 0);
    int32_t pos = 0;
    bool ectopic = false;
    for (const char k : c.classes) {
        ectopic = ectopic || k != 'N';
        pos += ectopic ? c.pace : 800;
        OImpulse p{};
        p.Pos = pos;
        p.Class = k == '*' ? static_cast<char>(kBeatUnknown) : k;
        beats.push_back(p);
        noisy.push_back(k == '*');
    }
    if (c.flutterAt >= 0)
        flutter[size_t(c.flutterAt)] = 1;
    KeepVentricularRuns(beats.data(), int64_t(beats.size()), noisy, flutter, [&](int64_t, int64_t) { return c.match; });
    for (size_t i = 0; i < beats.size(); ++i)
        EXPECT_EQ(beats[i].Class, c.classes[i] == '*' ? c.expected : c.classes[i]) << i;
}

const ORunContextCase kCases[] = {
    {"middle_at_100", "NNV*VNN", kFaster100},
    {"middle_below_100", "NNV*VNN", kSlower100, 0.9, -1, 'Q'},
    {"first_of_three", "NN*VVNN", kFaster100},
    {"last_of_three", "NNVV*NN", kFaster100},
    {"beside_one_v", "NNV*NNN", kFaster100, 0.9, -1, 'Q'},
    {"alone", "NNN*NNN", kFaster100, 0.9, -1, 'Q'},
    {"two_noisy_do_not_vouch", "NNV**NN", kFaster100, 0.9, -1, 'Q'},
    {"shape_matches_at_0_8", "NNV*VNN", kFaster100, 0.8},
    {"shape_differs_under_0_8", "NNV*VNN", kFaster100, 0.79, -1, 'Q'},
    {"flutter_two_beats_away", "NNVV*VNN", kFaster100, 0.9, 2, 'Q'},
    {"flutter_three_beats_away", "NNVV*VNN", kFaster100, 0.9, 1, 'V'},
};

INSTANTIATE_TEST_SUITE_P(Bounds, RunContext, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ORunContextCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
