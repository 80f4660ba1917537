// Rhythm events of simulated recordings through the whole pass: the precise
// detector, the beat classifier, then FindRhythmEvents, as the command line
// and the report run them.
#include "DetectorKind.h"
#include "EcgTime.h"
#include "EctopyRecording.h"
#include "OEKGFilter.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "RhythmEvents.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>

namespace {

constexpr double kSlackS = 30; // onset and offset found within this of the truth

struct OPassResult {
    std::optional<OEcgTruth> truth;
    ORhythmSummary events;
};

OPassResult Pass(const ORecordingOptions& options, double seconds)
{
    UseFreshSettings();
    TempDir dir;
    TestDialogs dialogs;
    const std::string path = dir.File("rhythm.экг");
    OPassResult r;
    r.truth = WriteRhythmRecording(path, options, seconds);
    if (!r.truth)
        return r;
    OEcgFile file;
    if (!file.OpenEcgFile(path, true))
        return r;
    auto filter = std::make_unique<OEKGFilter>();
    filter->OverrideDetector(kDetectorPrecise);
    OProcessControl control;
    ProcessFile(file, *filter, control);
    const auto& impulses = file.ImpulseInfo();
    r.events = FindRhythmEvents(impulses.Data(), impulses.Count(), file.SectorCount() * kSamplesPerSector);
    return r;
}

std::vector<ORhythmEvent> OfKind(const ORhythmSummary& s, ORhythmKind kind)
{
    std::vector<ORhythmEvent> out;
    for (const ORhythmEvent& e : s.events)
        if (e.kind == kind)
            out.push_back(e);
    return out;
}

std::vector<OEcgEvent> TruthOfKind(const OEcgTruth& truth, ORhythmKind kind)
{
    std::vector<OEcgEvent> out;
    for (const OEcgEvent& e : truth.events)
        if (std::strcmp(EcgEventName(e.kind), RhythmKindName(kind)) == 0)
            out.push_back(e);
    return out;
}

// Two paroxysms of AF in sinus rhythm with a few isolated premature beats:
// each found once, its onset and offset within half a minute of the truth.
TEST(RhythmPass, SimulatedAfOnAndOffFoundWithinHalfAMinute)
{
    ORecordingOptions options;
    options.ecg.bpm = 70;
    options.ecg.seed = 5;
    options.ecg.rhythm.pvcPerMinute = 2;
    options.ecg.rhythm.apcPerMinute = 2;
    options.ecg.rhythm.episodes = {{OEcgPattern::Af, 90, 0, 110, 120}, {OEcgPattern::Af, 330, 0, 90, 90}};
    const OPassResult r = Pass(options, 540);
    ASSERT_TRUE(r.truth);
    const std::vector<OEcgEvent> truth = TruthOfKind(*r.truth, ORhythmKind::AF);
    const std::vector<ORhythmEvent> af = OfKind(r.events, ORhythmKind::AF);
    ASSERT_EQ(truth.size(), 2u);
    ASSERT_EQ(af.size(), truth.size());
    double truthSeconds = 0;
    for (size_t i = 0; i < af.size(); ++i) {
        EXPECT_NEAR(af[i].startSample / kSampleRate, truth[i].startSample / kSampleRate, kSlackS) << i;
        EXPECT_NEAR(af[i].endSample / kSampleRate, truth[i].endSample / kSampleRate, kSlackS) << i;
        truthSeconds += (truth[i].endSample - truth[i].startSample) / kSampleRate;
    }
    EXPECT_NEAR(r.events.afSeconds, truthSeconds, 2 * kSlackS);
    EXPECT_TRUE(OfKind(r.events, ORhythmKind::SVT).empty()); // the fibrillation's fast beats are no SVT
}

// Long bigeminy and trigeminy, and sinus rhythm with frequent isolated PVCs:
// irregular, but by a pattern; never AF, and the patterns are found.
TEST(RhythmPass, SimulatedBigeminyAndEctopyAreNotAf)
{
    ORecordingOptions options;
    options.ecg.bpm = 72;
    options.ecg.seed = 9;
    options.ecg.rhythm.pvcPerMinute = 6;
    options.ecg.rhythm.episodes = {{OEcgPattern::Bigeminy, 60, 90}, {OEcgPattern::Trigeminy, 240, 40}};
    const OPassResult r = Pass(options, 420);
    ASSERT_TRUE(r.truth);
    EXPECT_TRUE(OfKind(r.events, ORhythmKind::AF).empty());
    EXPECT_EQ(r.events.afSeconds, 0);
    for (const ORhythmKind kind : {ORhythmKind::Bigeminy, ORhythmKind::Trigeminy}) {
        const std::vector<OEcgEvent> truth = TruthOfKind(*r.truth, kind);
        ASSERT_EQ(truth.size(), 1u) << RhythmKindName(kind);
        bool found = false;
        for (const ORhythmEvent& e : OfKind(r.events, kind))
            found |= e.startSample <= truth[0].endSample && e.endSample >= truth[0].startSample;
        EXPECT_TRUE(found) << RhythmKindName(kind);
    }
}

} // namespace
