// The S and V beats on the chart: their own series in the impulses' graph
// once the beats have classes, each with its name for the legend, its colour
// and its shape.
#include "EcgFixture.h"
#include "EcgTime.h"
#include "GrDefs.h"
#include "OEKGFilter.h"
#include "OEcgFile.h"
#include "OGrList_Uevo.h"
#include "ProcessFile.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class BeatClassSeries : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string path = dir.File("classes.экг");
        WriteRecording(path, 125, [](int64_t i) { return SyntheticEcg(i); });
        ASSERT_TRUE(file.OpenEcgFile(path, true));
        OProcessControl control;
        ProcessFile(file, filter, control);
        ASSERT_GT(file.ImpulseInfo().Count(), 20);
    }
    // The classifier's place: the test writes the classes into the pass's
    // array by hand.
    OImpulse& Impulse(int64_t i) { return const_cast<OImpulse*>(file.ImpulseInfo().Data())[i]; }
    void Classify(const std::vector<std::pair<int, char>>& classes)
    {
        for (int64_t i = 0; i < file.ImpulseInfo().Count(); ++i)
            Impulse(i).Class = kBeatNormal;
        for (const auto& [i, c] : classes)
            Impulse(i).Class = c;
    }
    std::vector<int> ImpulseGraph()
    {
        std::string time = "00:00:00";
        list.Rebuild({.impulses = true}, time, filter.GetNI());
        std::vector<int> types;
        for (int k = 0; k < list.GetLineCount(0); ++k)
            types.push_back(list.LineType(0, k));
        return types;
    }

    TestDialogs dialogs;
    TempDir dir;
    OEcgFile file;
    OEKGFilter filter;
    OGrList_Uevo list{&file};
};

TEST_F(BeatClassSeries, OnlyClassifiedBeatsGetTheirSeries)
{
    for (int64_t i = 0; i < file.ImpulseInfo().Count(); ++i)
        Impulse(i).Class = kBeatUnclassified;
    EXPECT_EQ(ImpulseGraph(), (std::vector<int>{201})) << "no classes, no class series";
    Classify({});
    EXPECT_EQ(ImpulseGraph(), (std::vector<int>{201, 202, 203})) << "all normal: both named in the legend, empty";
    EXPECT_EQ(list.GetLine(0, 1)->GetPointCount(), 0);
    EXPECT_EQ(list.GetLine(0, 2)->GetPointCount(), 0);
}

TEST_F(BeatClassSeries, LegendColoursAndShapes)
{
    Classify({{5, kBeatSupra}, {10, kBeatVentricular}, {11, kBeatVentricular}, {12, kBeatFusion}});
    Impulse(11).Flags = kImpulseDoubtful;
    ASSERT_EQ(ImpulseGraph(), (std::vector<int>{201, 202, 203}));
    struct Expected {
        int line;
        const char* name;
        int color;
    };
    for (const Expected& e : {Expected{0, "Распознанные импульсы", -1}, Expected{1, "Наджелудочковые (S)", 0x0000D0},
                              Expected{2, "Желудочковые (V)", 0xD00000}}) {
        OGrLine* line = list.GetLine(0, e.line);
        EXPECT_EQ(line->GetName(), e.name);
        EXPECT_EQ(line->GetColor(), e.color) << e.name;
    }

    const double halfWidth = filter.GetNI() * kSamplePeriod;
    struct Point {
        double x, y;
        int flags;
    };
    auto points = [&](int k) {
        OGrLine* line = list.GetLine(0, k);
        std::vector<Point> out(line->GetPointCount());
        for (int i = 0; i < line->GetPointCount(); ++i)
            out[i].flags = line->GetPoint(i, &out[i].x, &out[i].y);
        return out;
    };
    // S: the impulse's triangle, a dot on its apex, apart from its neighbours.
    const std::vector<Point> s = points(1);
    ASSERT_EQ(s.size(), 3u);
    const double apex5 = Impulse(5).Pos * kSamplePeriod;
    EXPECT_DOUBLE_EQ(s[0].x, apex5 - halfWidth);
    EXPECT_DOUBLE_EQ(s[1].x, apex5);
    EXPECT_DOUBLE_EQ(s[2].x, apex5 + halfWidth);
    EXPECT_EQ((std::vector<double>{s[0].y, s[1].y, s[2].y}), (std::vector<double>{0.0, 1.0, 0.0}));
    EXPECT_EQ((std::vector<int>{s[0].flags, s[1].flags, s[2].flags}),
              (std::vector<int>{kGrPtNoMarker | kGrPtBreakBefore, 0, kGrPtNoMarker | kGrPtBreakAfter}));

    // V: a square pulse over the triangle's base; the flagged one half high.
    const std::vector<Point> v = points(2);
    ASSERT_EQ(v.size(), 8u);
    for (int b = 0; b < 2; ++b) {
        const double apex = Impulse(10 + b).Pos * kSamplePeriod;
        const double top = b == 1 ? 0.5 : 1.0;
        const Point* p = &v[4 * b];
        EXPECT_EQ((std::vector<double>{p[0].x, p[1].x, p[2].x, p[3].x}),
                  (std::vector<double>{apex - halfWidth, apex - halfWidth, apex + halfWidth, apex + halfWidth}));
        EXPECT_EQ((std::vector<double>{p[0].y, p[1].y, p[2].y, p[3].y}), (std::vector<double>{0.0, top, top, 0.0}));
        EXPECT_EQ(p[0].flags, kGrPtNoMarker | kGrPtBreakBefore);
        EXPECT_EQ(p[3].flags, kGrPtNoMarker | kGrPtBreakAfter);
    }
}

TEST_F(BeatClassSeries, ANewPassHidesThemUntilTheNextRebuild)
{
    Classify({{5, kBeatVentricular}});
    ImpulseGraph();
    list.Line().SetResultsHidden(true);
    EXPECT_EQ(list.GetLine(0, 2)->GetPointCount(), 0);
    list.Line().SetResultsHidden(false);
    EXPECT_EQ(list.GetLine(0, 2)->GetPointCount(), 4);
}

} // namespace
