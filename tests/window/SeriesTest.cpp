// The analysis window's graph list and series: which graphs a choice of
// series gives, the start time, and what the series read from a file.
#include "AnalysisFixtures.h"
#include "EcgFixture.h"
#include "GrRanges.h"
#include "OEKGFilter.h"
#include "OEcgFile.h"
#include "OGrList_Uevo.h"
#include "ProcessFile.h"
#include "StartTime.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace {

using Layout = std::vector<std::vector<int>>;

Layout LayoutOf(OGrList_Uevo& list)
{
    Layout layout;
    for (int g = 0; g < list.GetGrCount(); ++g) {
        layout.emplace_back();
        for (int k = 0; k < list.GetLineCount(g); ++k)
            layout.back().push_back(static_cast<OGrLine_Uevo*>(list.GetLine(g, k))->Type());
    }
    return layout;
}

TEST(SeriesRebuild, ChoiceGivesGraphsInFixedOrder)
{
    struct Case {
        const char* name;
        OSeriesChoice choice;
        Layout expected;
    };
    OSeriesChoice all;
    all.rawEcg = all.filteredEcg = all.threshold = all.defect = all.impulses = all.pulse = true;
    all.rawTemperature = all.temperature = all.ccp = all.ccpFine = all.rawAccelerations = true;
    OSeriesChoice allSeparate = all;
    allSeparate.separateXyz = true;
    const std::vector<Case> cases = {
        {"nothing", {}, {}},
        {"threshold alone", {.threshold = true}, {{101}}},
        {"threshold with filtered", {.filteredEcg = true, .threshold = true}, {{100, 101}}},
        {"temperature alone", {.temperature = true}, {{301}}},
        {"temperature with raw", {.rawTemperature = true, .temperature = true}, {{1, 301}}},
        {"fine CCP alone", {.ccpFine = true}, {{303}}},
        {"accelerations together", {.rawAccelerations = true}, {{4, 5, 6}}},
        {"accelerations apart", {.rawAccelerations = true, .separateXyz = true}, {{4}, {5}, {6}}},
        {"apart without accelerations", {.separateXyz = true}, {}},
        {"everything", all, {{0}, {100, 101}, {200}, {201}, {300}, {1, 301}, {302, 303}, {4, 5, 6}}},
        {"everything apart", allSeparate, {{0}, {100, 101}, {200}, {201}, {300}, {1, 301}, {302, 303}, {4}, {5}, {6}}},
    };
    OEcgFile file;
    OGrList_Uevo list(&file);
    for (const Case& c : cases) {
        std::string time = "00:00:00";
        list.Rebuild(c.choice, time, 29);
        EXPECT_EQ(LayoutOf(list), c.expected) << c.name;
    }
    // A rebuild empties what was there before.
    std::string time;
    list.Rebuild({}, time, 29);
    EXPECT_EQ(list.GetGrCount(), 0);
}

TEST(SeriesStartTime, ReadAndRewritten)
{
    struct Case {
        std::string in, out;
        int seconds;
    };
    const std::vector<Case> cases = {
        {"25:61:70", "26:02:10", 93730},
        {"14_30,05", "14:30:05", 52205},
        {"7 8 9", "07:08:09", 25689},
        {"12:30", "00:00:00", 0},
        {"", "00:00:00", 0},
        {"abc", "00:00:00", 0},
        {"99999999999:0:0", "1000:00:00", 3600000},
        {"0:0:-90", "00:-1:-30", -90},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        EXPECT_EQ(ReadStartTime(text), c.seconds) << c.in;
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(SeriesLimits, TooManyGraphsOrLinesHalt)
{
    OEcgFile file;
    auto list = std::make_unique<OGrList_Uevo>(&file);
    EXPECT_DEATH(list->AddLine(0), "OGrList_Uevo::AddLine\\(\\) - ещё не создан график");
    for (int g = 0; g < 128; ++g)
        list->AddGr();
    EXPECT_DEATH(list->AddGr(), "OGrList_Uevo::AddGr\\(\\) - слишком много графиков");
    for (int k = 0; k < 128; ++k)
        list->AddLine(0);
    EXPECT_DEATH(list->AddLine(0), "OGrList_Uevo::AddGr\\(\\) - слишком много линий");
}

// A recording of raw fields only: sample words, temperatures, accelerations.
class RawSeries : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("raw.экг");
        WriteRecording(
            path, 3, [](int64_t i) { return static_cast<uint16_t>(i == 235 ? 0xFFFF : 100 + i); },
            [](int k) {
                FixtureSector s;
                s.wholeDegrees = static_cast<int8_t>(30 + k);
                s.accelCount = 10;
                s.accelSums[0] = static_cast<uint16_t>(10 * (128 + 10 * k)); // X = 10·k
                s.accelSums[1] = 10 * 128;                                   // Y = 0
                s.accelSums[2] = 10 * 100;                                   // Z = -28
                return s;
            });
        ASSERT_TRUE(file.OpenEcgFile(path, true));
    }
    double ValueAt(int type, double seconds)
    {
        list.Line().SetType(type);
        return list.Line().GetValue(&seconds);
    }

    TestDialogs dialogs;
    TempDir dir;
    std::string path;
    OEcgFile file;
    OGrList_Uevo list{&file};
};

TEST_F(RawSeries, ValuesComeFromTheSectorsInPlace)
{
    std::string time = "01:00:00";
    list.Rebuild({.rawEcg = true}, time, 29);
    const double t0 = 3600.0;
    const double sample = 0.001024;
    EXPECT_EQ(ValueAt(0, t0 + 0.5 * sample), 100.0);
    EXPECT_EQ(ValueAt(0, t0 + 235.5 * sample), 65535.0); // the word read unsigned
    EXPECT_EQ(ValueAt(0, t0 + 3 * 234 * sample + 0.0001), 0.0);
    EXPECT_EQ(ValueAt(0, t0 - 1.0), 0.0);
    EXPECT_DOUBLE_EQ(ValueAt(1, t0 + 300 * sample), 31.25); // (16 - 8) / 16 + 31 - 0.25

    double lo, hi;
    list.Line().SetType(0);
    list.Line().GetXRange(&lo, &hi);
    EXPECT_EQ(lo, t0);
    EXPECT_DOUBLE_EQ(hi, t0 + 3 * 234 * sample);
}

TEST_F(RawSeries, ColumnExtremesCoverEverySampleBetweenTwoTimes)
{
    std::string time = "00:00:00";
    list.Rebuild({.rawEcg = true}, time, 29);
    const double sample = 0.001024;
    double lo = 0, hi = 0;
    list.Line().SetType(0);
    ASSERT_EQ(list.Line().GetValueRange(0.0, 3 * 234 * sample, &lo, &hi), 1);
    EXPECT_EQ(lo, 100.0);
    EXPECT_EQ(hi, 65535.0);
    ASSERT_EQ(list.Line().GetValueRange(300 * sample, 310 * sample, &lo, &hi), 1);
    EXPECT_EQ(lo, 400.0);
    EXPECT_EQ(hi, 409.0);
    EXPECT_EQ(list.Line().GetValueRange(-2.0, -1.0, &lo, &hi), 0);

    list.Line().SetType(4); // per sector, the first left out
    ASSERT_EQ(list.Line().GetValueRange(0.0, 1.0, &lo, &hi), 1);
    EXPECT_EQ(lo, 10.0);
    EXPECT_EQ(hi, 20.0);
    list.Line().SetType(300); // points have none
    EXPECT_LT(list.Line().GetValueRange(0.0, 1.0, &lo, &hi), 0);
}

TEST_F(RawSeries, AccelerationsAbsentInFirstSectorAndBeyondLast)
{
    std::string time = "00:00:00";
    list.Rebuild({.rawAccelerations = true}, time, 29);
    const double sector = 0.239616;
    EXPECT_EQ(ValueAt(4, 0.5 * sector), 1e200);
    EXPECT_EQ(ValueAt(4, 1.5 * sector), 10.0);
    EXPECT_EQ(ValueAt(4, 2.5 * sector), 20.0);
    EXPECT_EQ(ValueAt(5, 2.5 * sector), 0.0);
    EXPECT_EQ(ValueAt(6, 2.5 * sector), -28.0);
    EXPECT_EQ(ValueAt(6, 3.01 * sector), 1e200);
    EXPECT_EQ(ValueAt(6, -0.01), 1e200);
}

// A processed recording: beats, a long pause that drops the pulse rate to 0,
// beats again.
class ProcessedSeries : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new TempDir;
        const std::string path = dir->File("pause.экг");
        const int sectors = static_cast<int>(170.0 / 0.239616);
        WriteRecording(path, sectors, [](int64_t i) { return SyntheticEcg(i, 72.0, 60.0, 110.0); });
        file = new OEcgFile;
        filter = new OEKGFilter;
        ASSERT_TRUE(file->OpenEcgFile(path, true));
        OProcessControl control;
        ProcessFile(*file, *filter, control, {.display = true});
        reference = new OReferenceRun(ReferenceFilterRun(*file, true));
    }
    static void TearDownTestSuite()
    {
        delete reference;
        delete filter;
        delete file;
        delete dir;
    }

    static TempDir* dir;
    static OEcgFile* file;
    static OEKGFilter* filter;
    static OReferenceRun* reference; // the filtered ECG and threshold, sample by sample
};
TempDir* ProcessedSeries::dir;
OEcgFile* ProcessedSeries::file;
OEKGFilter* ProcessedSeries::filter;
OReferenceRun* ProcessedSeries::reference;

TEST_F(ProcessedSeries, PulseRateZeroIsDrawnAlone)
{
    OGrList_Uevo list(file);
    std::string time = "25:61:70";
    list.Rebuild({.pulse = true}, time, filter->GetNI());
    EXPECT_EQ(time, "26:02:10");
    OGrLine* line = list.GetLine(0, 0);
    ASSERT_EQ(line->IsFunction(), 0);
    ASSERT_EQ(line->GetPointCount(), file->Puls().Count());
    int zeros = 0;
    for (int i = 0; i < line->GetPointCount(); ++i) {
        double x, y;
        const int flags = line->GetPoint(i, &x, &y);
        EXPECT_DOUBLE_EQ(x, file->Puls()[i].x * 0.001024 + 93730.0);
        if (y == 0.0) {
            ++zeros;
            EXPECT_EQ(flags, 0xC6);
        } else {
            EXPECT_EQ(flags, 0x40);
        }
    }
    EXPECT_GE(zeros, 1) << "the pause should drop the rate to 0";

    // In blocks, the same points; a block past the end is cut short.
    const int count = line->GetPointCount();
    std::vector<double> xs(count + 5), ys(count + 5);
    std::vector<int> flags(count + 5);
    ASSERT_EQ(line->GetPoints(1, count + 4, xs.data(), ys.data(), flags.data()), count - 1);
    for (int i = 1; i < count; ++i) {
        double x, y;
        ASSERT_EQ(flags[i - 1], line->GetPoint(i, &x, &y));
        ASSERT_EQ(xs[i - 1], x);
        ASSERT_EQ(ys[i - 1], y);
    }
}

TEST_F(ProcessedSeries, SteadyTemperatureIsLabelledInHundredthsAtMost)
{
    // Every sector of the recording reads 36.25 degrees: a flat series.
    OGrList_Uevo list(file);
    std::string time = "00:00:00";
    list.Rebuild({.temperature = true}, time, filter->GetNI());
    ASSERT_GE(file->Thermo().Count(), 1);
    TGrDia x;
    GrCollectRanges(&list, &x);
    TGrDia& a = *list.GetGrDia(0);
    // As a pane 200 pixels high asks for its grid.
    a.Setka_Create((a.viewHi - a.viewLo) * 33 / 200);
    int labels = 0;
    std::string text;
    for (int i = 0; i < a.GetSetkaCount(); ++i) {
        double v;
        a.GetSetkaText(i, &v, &text);
        if (v < a.viewLo || v > a.viewHi)
            continue;
        ++labels;
        const size_t dot = text.find('.');
        EXPECT_TRUE(dot == std::string::npos || text.size() - dot - 1 <= 2) << text;
    }
    EXPECT_GE(labels, 3);
}

TEST_F(ProcessedSeries, ImpulsesAreTrianglesFlaggedOnesStandApart)
{
    OGrList_Uevo list(file);
    std::string time = "00:00:10";
    const int halfWidth = filter->GetNI();
    list.Rebuild({.defect = true, .impulses = true}, time, halfWidth);
    ASSERT_GT(file->ImpulseInfo().Count(), 100);
    for (int type : {200, 201}) {
        OGrLine* line = list.GetLine(type == 200 ? 0 : 1, 0);
        ASSERT_EQ(line->GetPointCount(), 3 * file->ImpulseInfo().Count());
        bool sawFlagged = false, sawClean = false;
        for (int k = 0; k < file->ImpulseInfo().Count(); ++k) {
            const OImpulse& impulse = file->ImpulseInfo()[k];
            const bool flagged = impulse.Flags != 0;
            (flagged ? sawFlagged : sawClean) = true;
            const double apex = impulse.Pos * 0.001024 + 10.0;
            double x[3], y[3];
            int flags[3];
            for (int r = 0; r < 3; ++r)
                flags[r] = line->GetPoint(3 * k + r, &x[r], &y[r]);
            EXPECT_DOUBLE_EQ(x[1], apex);
            EXPECT_DOUBLE_EQ(x[0], apex - halfWidth * 0.001024);
            EXPECT_DOUBLE_EQ(x[2], apex + halfWidth * 0.001024);
            EXPECT_EQ(y[0], 0.0);
            EXPECT_EQ(y[2], 0.0);
            EXPECT_EQ(y[1], type == 200 ? impulse.Defect : (flagged ? 0.5 : 1.0));
            EXPECT_EQ(flags[0], flagged ? 0x42 : 0x40);
            EXPECT_EQ(flags[1], 0x40);
            EXPECT_EQ(flags[2], flagged ? 0x44 : 0x40);
        }
        EXPECT_TRUE(sawFlagged && sawClean);
    }
}

// Zoomed out, every series draws from the extremes the pass kept; they equal
// a scan of the values themselves over any span, narrow or wide.
TEST_F(ProcessedSeries, ColumnExtremesFromThePassEqualAPlainScan)
{
    OGrList_Uevo list(file);
    std::string time = "00:00:00";
    list.Rebuild(
        {.rawEcg = true, .filteredEcg = true, .threshold = true, .rawTemperature = true, .rawAccelerations = true},
        time, 29);
    OGrLine_Uevo& line = list.Line();
    const double period = 0.001024;
    const int64_t samples = 234 * file->SectorCount();
    std::mt19937 random(3);
    for (const int type : {0, 1, 4, 5, 6, 100, 101}) {
        line.SetType(type);
        const bool result = type >= 100;
        const bool perSector = !result && type != 0;
        const int64_t limit = result ? file->ProcessedN() : samples;
        for (int k = 0; k < 60; ++k) {
            const int64_t width = k % 3 == 0 ? 40 : k % 3 == 1 ? 5000 : limit / 2;
            const int64_t a = std::uniform_int_distribution<int64_t>(0, limit - width)(random);
            const int64_t b = a + width;
            double want = 1e300, wantHi = -1e300;
            const int64_t from = perSector ? a / 234 : a, to = perSector ? (b - 1) / 234 + 1 : b;
            for (int64_t i = from; i < to; ++i) {
                double v;
                if (type == 100 || type == 101) {
                    v = (type == 100 ? reference->filtered : reference->threshold)[size_t(i)];
                } else {
                    const double x = (perSector ? i * 234 + 117 : i) * period + 0.5 * period;
                    v = line.GetValue(&x);
                }
                if (GrValid(v))
                    want = std::min(want, v), wantHi = std::max(wantHi, v);
            }
            double lo = 0, hi = 0;
            ASSERT_EQ(line.GetValueRange((a + 0.5) * period, (b - 0.5) * period, &lo, &hi), 1) << type;
            ASSERT_EQ(lo, want) << "type " << type << " samples " << a << ".." << b;
            ASSERT_EQ(hi, wantHi) << "type " << type << " samples " << a << ".." << b;
        }
    }
}

TEST_F(ProcessedSeries, FilteredSignalHiddenWhileAPassRewritesIt)
{
    OGrList_Uevo list(file);
    std::string time = "00:00:00";
    list.Rebuild({.filteredEcg = true, .threshold = true, .pulse = true}, time, 29);
    OGrLine_Uevo& line = list.Line();
    const int64_t n = file->ProcessedN();
    ASSERT_EQ(static_cast<int64_t>(reference->filtered.size()), n);
    ASSERT_GT(n, 0);
    double lo, hi;
    line.SetType(100);
    line.GetXRange(&lo, &hi);
    EXPECT_DOUBLE_EQ(hi, n * 0.001024);
    const double x = 1000.5 * 0.001024;
    EXPECT_EQ(line.GetValue(&x), reference->filtered[1000]);
    line.SetType(101);
    EXPECT_EQ(line.GetValue(&x), reference->threshold[1000]);
    const double beyond = (n + 1) * 0.001024;
    EXPECT_EQ(line.GetValue(&beyond), 0.0);

    double low = 0, high = 0;
    line.SetType(100);
    ASSERT_EQ(line.GetValueRange(0.0, hi, &low, &high), 1);
    EXPECT_EQ(low, *std::min_element(reference->filtered.begin(), reference->filtered.end()));
    EXPECT_EQ(high, *std::max_element(reference->filtered.begin(), reference->filtered.end()));

    line.SetResultsHidden(true);
    EXPECT_FALSE(GrValid(line.GetValue(&x)));
    EXPECT_EQ(line.GetValueRange(0.0, hi, &low, &high), 0);
    line.SetType(300);
    EXPECT_EQ(line.GetPointCount(), 0);
}

} // namespace
