// The running-sum matched filter against the textbook formula (a sum over
// 2·NI + 1 taps of the baseline-free signal), on a ten-minute synthetic
// recording: outputs within 1e-9 relative and the very same impulses.
#include "AnalysisFixtures.h"
#include "EcgTime.h"
#include "ODelayLine.h"
#include "OEKGFilter.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// Baseline and matched filter exactly as their formulas read.
class ReferenceFilter {
public:
    ReferenceFilter(int na, int ni) : m_NA(na), m_NI(ni)
    {
        m_L1.SetShift(-na);
        m_L3.SetShift(-ni);
    }
    double Process(double x)
    {
        if (!m_Primed) {
            m_L1.Fill(x);
            m_S = (2.0 * m_NA + 1) * x;
            m_Primed = true;
        }
        m_S = m_S - m_L1.At(-m_NA);
        m_L1.Push(x);
        m_S = m_S + m_L1.At(m_NA);
        m_L3.Push(m_L1.At(0) - m_S / (2 * m_NA + 1));
        double sum = 0;
        for (int k = -m_NI; k <= m_NI; ++k)
            sum += (m_NI - std::abs(k) + 1) * m_L3.At(k);
        return sum / (m_NI * m_NI);
    }

private:
    int m_NA, m_NI;
    bool m_Primed = false;
    double m_S = 0;
    ODelayLine m_L1, m_L3;
};

std::vector<int16_t> TenMinuteSamples()
{
    ORecordingOptions options;
    options.ecg.seed = 3;
    const std::vector<uint8_t> bytes = MakeRecording(options, 2504);
    std::vector<int16_t> samples;
    for (size_t s = 0; s < bytes.size(); s += 512)
        for (int i = 0; i < kSamplesPerSector; ++i)
            samples.push_back(static_cast<int16_t>(bytes[s + 44 + 2 * i] | (bytes[s + 45 + 2 * i] << 8)));
    return samples;
}

TEST(FilterReference, RunningSumsMatchTheDirectKernel)
{
    UseFreshSettings();
    TestDialogs dialogs;
    const std::vector<int16_t> samples = TenMinuteSamples();
    for (int niMs : {30, 15, 100}) {
        StoreParam("m_NI", niMs);
        std::vector<OImpulse> fast(4000), reference(4000);
        auto f = std::make_unique<OEKGFilter>();
        auto r = std::make_unique<OEKGFilter>(); // detector fed by the reference outputs
        f->AttachImpulses(fast.data(), 4000);
        r->AttachImpulses(reference.data(), 4000);
        f->Prepare();
        r->Prepare();
        auto direct = std::make_unique<ReferenceFilter>(f->m_NA, f->m_NI);
        double worst = 0;
        for (int16_t x : samples) {
            f->Process(x);
            const double z = direct->Process(x);
            r->Advance(z);
            worst = std::max(worst, std::fabs(f->Output() - z) / std::max(std::fabs(z), 1.0));
        }
        EXPECT_LT(worst, 1e-9) << "m_NI " << niMs;
        f->Finish();
        r->Finish();
        ASSERT_EQ(f->ImpulseCount(), r->ImpulseCount()) << "m_NI " << niMs;
        EXPECT_GT(f->ImpulseCount(), 600) << "m_NI " << niMs;
        for (int64_t i = 0; i < f->ImpulseCount(); ++i) {
            ASSERT_EQ(+fast[i].Pos, +reference[i].Pos) << i;
            ASSERT_EQ(fast[i].Flags, reference[i].Flags) << i;
            ASSERT_NEAR(+fast[i].Peak, +reference[i].Peak, 1e-9 * std::fabs(+reference[i].Peak)) << i;
            ASSERT_NEAR(+fast[i].Defect, +reference[i].Defect, 1e-9 * std::max(1.0, +reference[i].Defect)) << i;
        }
    }
}

TEST(FilterReference, EveryPassStartsFromTheSameState)
{
    UseFreshSettings();
    TestDialogs dialogs;
    const std::vector<int16_t> samples = TenMinuteSamples();
    auto run = [&](OEKGFilter& f, size_t count) {
        std::vector<OImpulse> impulses(4000);
        f.AttachImpulses(impulses.data(), 4000);
        f.Prepare();
        std::vector<double> outputs;
        for (size_t i = 0; i < count; ++i) {
            f.Process(samples[i]);
            outputs.push_back(f.Output());
        }
        impulses.resize(static_cast<size_t>(f.ImpulseCount()));
        return std::make_pair(outputs, impulses.size());
    };
    auto filter = std::make_unique<OEKGFilter>();
    const auto first = run(*filter, 20000);
    run(*filter, samples.size()); // a different pass in between leaves its tail in the lines
    const auto again = run(*filter, 20000);
    EXPECT_EQ(first.first, again.first);
    EXPECT_EQ(first.second, again.second);
    // No start-up transient: the filtered signal never exceeds twice an R-wave.
    for (double z : first.first)
        ASSERT_LT(std::fabs(z), 2000.0);
}

} // namespace
