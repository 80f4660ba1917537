// The filtered ECG and the threshold recomputed on demand (OFilteredSpan)
// against a plain sequential filter run over whole recordings, and the data
// the pass keeps for the chart instead of the sample arrays: the same values
// at the file's start and end, at the threshold's checkpoints, over spans
// asked in any order, after a cancelled pass, with either detector.
#include "AnalysisFixtures.h"
#include "DetectorKind.h"
#include "EcgTime.h"
#include "OEcgFile.h"
#include "OFilteredSpan.h"
#include "OPassDisplay.h"
#include "ProcessFile.h"
#include "SectorDecoders.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <thread>

namespace {

struct ORecordingCase {
    const char* name;
    int64_t sectors;
    int64_t extraBytes; // a truncated last sector
    int detector;
    int na, ni; // filter parameters (ms), 0: the defaults
};

void PrintTo(const ORecordingCase& c, std::ostream* os)
{
    *os << c.name;
}

const ORecordingCase kCases[] = {
    // Longer than the pass's largest block (128 sectors) and than several
    // checkpoints; electrode noise drives the threshold's resets.
    {"standard", 1000, 0, kDetectorStandard, 0, 0},
    {"precise", 1000, 0, kDetectorPrecise, 0, 0},
    {"truncated last sector", 300, 300, kDetectorStandard, 0, 0},
    // Shorter than one checkpoint's interval and than the warm-up.
    {"short", 3, 0, kDetectorStandard, 0, 0},
    {"narrow filter", 400, 0, kDetectorStandard, 40, 10},
    {"wide filter", 400, 0, kDetectorStandard, 1200, 95},
};

class FilteredSpan : public testing::TestWithParam<ORecordingCase> {
protected:
    void SetUp() override
    {
        UseFreshSettings();
        const ORecordingCase& c = GetParam();
        StoreParam(OEKGFilterParams::kDetectorKey, c.detector);
        if (c.na)
            StoreParam("m_NA", c.na);
        if (c.ni)
            StoreParam("m_NI", c.ni);
        ORecordingOptions options;
        options.ecg.bpm = 95;
        options.ecg.electrodeNoise = {{40.0, 20.0}};
        std::vector<uint8_t> bytes = MakeRecording(options, c.sectors + (c.extraBytes ? 1 : 0));
        bytes.resize(static_cast<size_t>(c.sectors * kSectorBytes + c.extraBytes));
        path = dir.File("запись.экг");
        WriteFileBytes(path, bytes);
        ASSERT_TRUE(file.OpenEcgFile(path, true));
        OProcessControl control;
        ASSERT_EQ(ProcessFile(file, *filter, control, {.display = true}), c.sectors);
        ASSERT_TRUE(file.FilterShape());
        ASSERT_NE(file.Display(), nullptr);
        reference = ReferenceFilterRun(file, c.detector == kDetectorStandard);
    }

    OFilteredSpan Span() const
    {
        return OFilteredSpan(file, *file.FilterShape(), file.ProcessedN(), &file.Display()->checkpoints);
    }
    // Compares positions [first, first + n) of the span with the reference.
    void ExpectSpan(OFilteredSpan& span, int64_t first, int64_t n, const char* what) const
    {
        std::vector<int16_t> filtered(static_cast<size_t>(n), -1), threshold(static_cast<size_t>(n), -1);
        const int64_t count = static_cast<int64_t>(reference.filtered.size());
        const int64_t expected = std::clamp<int64_t>(count - first, 0, n);
        ASSERT_EQ(span.Compute(first, n, filtered.data(), threshold.data()), expected) << what << " at " << first;
        for (int64_t j = 0; j < expected; ++j) {
            ASSERT_EQ(filtered[size_t(j)], reference.filtered[size_t(first + j)]) << what << " filtered " << first + j;
            ASSERT_EQ(threshold[size_t(j)], reference.threshold[size_t(first + j)])
                << what << " threshold " << first + j;
        }
    }

    TempDir dir;
    TestDialogs dialogs;
    std::string path;
    OEcgFile file;
    std::unique_ptr<OEKGFilter> filter = std::make_unique<OEKGFilter>();
    OReferenceRun reference;
};

TEST_P(FilteredSpan, PassCountsWhatTheSequentialRunProduces)
{
    EXPECT_EQ(file.ProcessedN(), static_cast<int64_t>(reference.filtered.size()));
    EXPECT_EQ(file.FilterShape()->threshold, GetParam().detector == kDetectorStandard);
}

TEST_P(FilteredSpan, WholeRecordingInOneSpanAndInSpansOfEverySize)
{
    const int64_t n = file.ProcessedN();
    OFilteredSpan whole = Span();
    ExpectSpan(whole, 0, n + 10, "whole");
    for (const int64_t size : {1, 7, 234, 1000, 5000}) {
        OFilteredSpan span = Span();
        for (int64_t first = 0; first < n; first += size)
            ExpectSpan(span, first, size, "consecutive");
    }
}

TEST_P(FilteredSpan, SpansAtTheEdgesAndCheckpointsInAnyOrder)
{
    const int64_t n = file.ProcessedN();
    const int64_t delay = file.FilterShape()->na + file.FilterShape()->ni;
    const int64_t interval = OFilteredSpan::kCheckpointSectors * kSamplesPerSector;
    std::vector<int64_t> starts = {0, 1, 5, std::max<int64_t>(n - 1, 0), std::max<int64_t>(n - 20, 0)};
    // Output positions whose raw sample sits at a checkpoint, and beside it.
    for (int64_t raw = interval; raw - delay < n; raw += interval)
        for (const int64_t d : {-2, -1, 0, 1})
            if (raw - delay + d >= 0)
                starts.push_back(raw - delay + d);
    std::mt19937 random(7);
    for (int i = 0; i < 40 && n > 0; ++i)
        starts.push_back(std::uniform_int_distribution<int64_t>(0, n - 1)(random));
    // One object for all: backward jumps restart it, short forward ones run on.
    OFilteredSpan shared = Span();
    for (const int64_t first : starts) {
        OFilteredSpan fresh = Span();
        ExpectSpan(fresh, first, 40, "fresh");
        ExpectSpan(shared, first, 40, "shared");
    }
    std::reverse(starts.begin(), starts.end());
    for (const int64_t first : starts)
        ExpectSpan(shared, first, 3, "reversed");
}

TEST_P(FilteredSpan, WithoutCheckpointsTheThresholdRunsFromTheStart)
{
    OFilteredSpan span(file, *file.FilterShape(), file.ProcessedN(), nullptr);
    const int64_t n = file.ProcessedN();
    ExpectSpan(span, std::max<int64_t>(n - 500, 0), 500, "late");
    ExpectSpan(span, n / 2, 100, "middle");
}

TEST_P(FilteredSpan, OutsideTheOutputNothingIsWritten)
{
    OFilteredSpan span = Span();
    int16_t value = 77;
    EXPECT_EQ(span.Compute(-1, 1, &value, &value), 0);
    EXPECT_EQ(span.Compute(file.ProcessedN(), 1, &value, &value), 0);
    EXPECT_EQ(span.Compute(0, 0, &value, &value), 0);
    EXPECT_EQ(value, 77);
}

TEST_P(FilteredSpan, DisplayExtremesAreThoseOfTheSamples)
{
    const OPassDisplay& d = *file.Display();
    const int64_t sectors = file.SectorCount();
    EXPECT_EQ(static_cast<int64_t>(d.checkpoints.size()),
              (sectors + OFilteredSpan::kCheckpointSectors - 1) / OFilteredSpan::kCheckpointSectors);
    std::vector<uint16_t> raw;
    std::vector<uint8_t> sector(kSectorBytes);
    for (int64_t k = 0; k < sectors; ++k) {
        ASSERT_EQ(file.ReadSectors(k, 1, sector.data()), 1);
        for (int i = 0; i < kSamplesPerSector; ++i)
            raw.push_back(SectorSampleWord(sector.data(), i));
    }
    auto expectTrack = [](const auto& track, const auto& values, const char* what) {
        constexpr int64_t kBlock = 32;
        ASSERT_EQ(track.Count(), static_cast<int64_t>(values.size())) << what;
        ASSERT_EQ(track.BlockCount(), (track.Count() + kBlock - 1) / kBlock) << what;
        for (int64_t b = 0; b < track.BlockCount(); ++b) {
            const auto from = values.begin() + b * kBlock;
            const auto to = values.begin() + std::min<int64_t>((b + 1) * kBlock, track.Count());
            ASSERT_EQ(track.Block(b).lo, *std::min_element(from, to)) << what << " block " << b;
            ASSERT_EQ(track.Block(b).hi, *std::max_element(from, to)) << what << " block " << b;
        }
    };
    expectTrack(d.rawEcg, raw, "raw");
    expectTrack(d.filtered, reference.filtered, "filtered");
    expectTrack(d.threshold, reference.threshold, "threshold");
    EXPECT_EQ(d.temperature.Count(), sectors);
    EXPECT_EQ(d.accelX.Count(), sectors);
    if (sectors >= 32) {
        // Sector 0 has no accelerations: the first block holds sectors 1 to 31.
        double lo = 1e300, hi = -1e300;
        for (int64_t k = 1; k < 32; ++k) {
            ASSERT_EQ(file.ReadSectors(k, 1, sector.data()), 1);
            double x, y, z;
            SectorAccelerations(sector.data(), x, y, z);
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
        EXPECT_EQ(d.accelX.Block(0).lo, lo);
        EXPECT_EQ(d.accelX.Block(0).hi, hi);
    }
}

INSTANTIATE_TEST_SUITE_P(Recordings, FilteredSpan, testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
});

// The display data changes nothing else: with and without it the pass gives
// the same impulses, classes, pulse, temperatures and frequencies.
class PassOutputs : public testing::TestWithParam<int> {};

TEST_P(PassOutputs, DisplayDataLeavesTheResultsAlone)
{
    UseFreshSettings();
    StoreParam(OEKGFilterParams::kDetectorKey, GetParam());
    TempDir dir;
    TestDialogs dialogs;
    ORecordingOptions options;
    options.ecg.electrodeNoise = {{30.0, 10.0}};
    const std::string path = dir.File("запись.экг");
    WriteFileBytes(path, MakeRecording(options, 600));
    OEcgFile plain, shown;
    auto filter = std::make_unique<OEKGFilter>();
    ASSERT_TRUE(plain.OpenEcgFile(path, true));
    ASSERT_TRUE(shown.OpenEcgFile(path, true));
    OProcessControl control;
    ASSERT_EQ(ProcessFile(plain, *filter, control), 600);
    ASSERT_EQ(ProcessFile(shown, *filter, control, {.display = true}), 600);

    EXPECT_EQ(plain.Display(), nullptr) << "the command line keeps no display data";
    ASSERT_NE(shown.Display(), nullptr);
    EXPECT_EQ(plain.ProcessedN(), shown.ProcessedN());
    const auto same = [](const auto& a, const auto& b, const char* what) {
        ASSERT_EQ(a.Count(), b.Count()) << what;
        ASSERT_GT(a.Count(), 0) << what;
        EXPECT_EQ(std::memcmp(a.Data(), b.Data(), sizeof(a[0]) * static_cast<size_t>(a.Count())), 0) << what;
    };
    same(plain.ImpulseInfo(), shown.ImpulseInfo(), "impulses");
    same(plain.Puls(), shown.Puls(), "pulse");
    same(plain.Thermo(), shown.Thermo(), "temperature");
    same(plain.FMs(), shown.FMs(), "frequencies");
    ASSERT_TRUE(plain.PassCheck() && shown.PassCheck());

    // Without the frequencies only they are missing.
    ASSERT_EQ(ProcessFile(shown, *filter, control, {.frequencies = false}), 600);
    EXPECT_EQ(shown.FMs().Count(), 0);
    EXPECT_EQ(shown.Display(), nullptr);
    same(plain.ImpulseInfo(), shown.ImpulseInfo(), "impulses without frequencies");
    same(plain.Puls(), shown.Puls(), "pulse without frequencies");
    same(plain.Thermo(), shown.Thermo(), "temperature without frequencies");
}

INSTANTIATE_TEST_SUITE_P(Detectors, PassOutputs, testing::Values(kDetectorStandard, kDetectorPrecise));

TEST(PassCancel, MidPassKeepsExactSpansOfWhatWasRead)
{
    UseFreshSettings();
    TempDir dir;
    TestDialogs dialogs;
    const std::string path = dir.File("запись.экг");
    WriteFileBytes(path, MakeRecording({}, 3000));
    OEcgFile file;
    auto filter = std::make_unique<OEKGFilter>();
    ASSERT_TRUE(file.OpenEcgFile(path, true));
    OProcessControl control;
    std::thread canceller([&] {
        while (control.progress.load() < 700)
            std::this_thread::yield();
        control.cancel.store(1);
    });
    const int64_t done = ProcessFile(file, *filter, control, {.display = true});
    canceller.join();
    ASSERT_GE(done, 700);
    ASSERT_LT(done, 3000);
    EXPECT_FALSE(file.PassCheck()) << "no check of a cancelled pass";
    ASSERT_NE(file.Display(), nullptr);
    const int64_t n = file.ProcessedN();
    EXPECT_EQ(n, done * kSamplesPerSector - (file.FilterShape()->na + file.FilterShape()->ni));
    EXPECT_EQ(file.Display()->filtered.Count(), n);
    EXPECT_EQ(file.Display()->rawEcg.Count(), done * kSamplesPerSector);

    const OReferenceRun reference = ReferenceFilterRun(file, true);
    OFilteredSpan span(file, *file.FilterShape(), n, &file.Display()->checkpoints);
    std::vector<int16_t> filtered(static_cast<size_t>(n) + 100), threshold(filtered.size());
    ASSERT_EQ(span.Compute(0, n + 100, filtered.data(), threshold.data()), n) << "nothing past what was read";
    for (int64_t j = 0; j < n; ++j) {
        ASSERT_EQ(filtered[size_t(j)], reference.filtered[size_t(j)]) << j;
        ASSERT_EQ(threshold[size_t(j)], reference.threshold[size_t(j)]) << j;
    }
}

} // namespace
