// Axis arithmetic: data ranges, window normalisation, scrolling and zooming.
#include "FakeGrList.h"
#include "FakeScrollBar.h"
#include "GrRanges.h"

#include <gtest/gtest.h>

namespace {

TGrDia AxisWith(double dataLo, double dataHi, double viewLo, double viewHi)
{
    TGrDia a;
    a.dataLo = dataLo;
    a.dataHi = dataHi;
    a.viewLo = viewLo;
    a.viewHi = viewHi;
    a.isFull = 0;
    return a;
}

TEST(GrRanges, FunctionWithoutExtentIsSampledAndWidenedByOnePercent)
{
    FakeGrList list;
    const int g = list.AddGraph();
    // Values 0..1000 over x in [0, 1024]; the stretch beyond 1000 has none.
    FakeLine* line = list.AddLine(g, FakeLine::Function(0, 1024, [](double x) { return x > 1000 ? 1e200 : x; },
                                                        5, 4 /* inverted: not given */));
    TGrDia x;
    GrCollectRanges(&list, &x);
    EXPECT_EQ(line->valueCalls, 1025);
    const double lo = -10, hi = 1010, eps = 1020 * 1e-10;
    const TGrDia& a = *list.GetGrDia(g);
    EXPECT_NEAR(a.dataLo, lo - eps / 2, 1e-9);
    EXPECT_NEAR(a.dataHi, hi + eps / 2, 1e-9);
    EXPECT_EQ(a.isAuto, 1);
    EXPECT_EQ(x.format, 4);
    EXPECT_NEAR(x.dataLo, -1024 * 1e-10 / 2, 1e-12);
    EXPECT_EQ(x.isFull, 1);
}

TEST(GrRanges, ConstantPointsGetASmallSymmetricRange)
{
    struct Case {
        double y, lo, hi;
    } cases[] = {{0, -0.5, 0.5}, {1000, 1000 - 5e-8, 1000 + 5e-8}};
    for (const Case& c : cases) {
        FakeGrList list;
        const int g = list.AddGraph();
        list.AddLine(g, FakeLine::Points({{1, c.y}, {2, c.y}, {3, 1e200}, {4, -7, 0x01}}));
        TGrDia x;
        GrCollectRanges(&list, &x);
        EXPECT_DOUBLE_EQ(list.GetGrDia(g)->dataLo, c.lo) << c.y;
        EXPECT_DOUBLE_EQ(list.GetGrDia(g)->dataHi, c.hi) << c.y;
    }
}

TEST(GrRanges, RecollectingKeepsTheUserWindowClampedIntoNewData)
{
    FakeGrList list;
    const int g = list.AddGraph();
    list.AddLine(g, FakeLine::Points({{0, 0}, {100, 10}}));
    TGrDia x;
    GrCollectRanges(&list, &x);
    x.viewLo = 90;
    x.viewHi = 95;
    x.isFull = 0;
    list.GetGrDia(g)->viewLo = 2;
    list.GetGrDia(g)->viewHi = 3;
    list.graphs[g].lines[0]->points = {{0, 0}, {50, 10}};
    GrCollectRanges(&list, &x);
    EXPECT_NEAR(x.viewHi, x.dataHi, 1e-12);
    EXPECT_NEAR(x.viewHi - x.viewLo, 5, 1e-9);
    EXPECT_DOUBLE_EQ(list.GetGrDia(g)->viewLo, 2);
}

TEST(GrRanges, AutoScaleUsesOnlyEligiblePointsInsideTheXWindow)
{
    FakeGrList list;
    const int g = list.AddGraph();
    list.AddLine(g, FakeLine::Points({{1, 10, 0, 1},
                                      {2, 500, 0x20},
                                      {3, 600, 0x01},
                                      {4, -300, 0x80},
                                      {5, 20},
                                      {50, 1000}},
                                     true));
    TGrDia x;
    GrCollectRanges(&list, &x);
    x.viewLo = 0;
    x.viewHi = 10;
    TGrDia& a = *list.GetGrDia(g);
    GrAutoScale(&list, g, x);
    EXPECT_DOUBLE_EQ(a.viewLo, 9);
    EXPECT_DOUBLE_EQ(a.viewHi, 20);
    a.skipFaults = 0;
    GrAutoScale(&list, g, x);
    EXPECT_DOUBLE_EQ(a.viewLo, -300);
    // Nothing eligible: the whole data range.
    x.viewLo = 100;
    x.viewHi = 200;
    GrAutoScale(&list, g, x);
    EXPECT_EQ(a.isFull, 1);
    EXPECT_DOUBLE_EQ(a.viewHi, a.dataHi);
}

// Automatic scaling from the blocks noted when the list was attached gives
// the very window a point-by-point scan gives, whatever the X window and
// whether faults are skipped.
TEST(GrRanges, ScalingFromAttachedBlocksMatchesAPointScan)
{
    FakeGrList list;
    const int g = list.AddGraph();
    std::vector<FakePoint> points;
    for (int i = 0; i < 1000; ++i) {
        const int flags = i == 300 ? kGrPtFault : i == 301 ? kGrPtNoScale : i == 700 ? kGrPtFault | kGrPtNoMarker : 0;
        const double y = i == 300 ? 900 : i == 301 ? -900 : i == 700 ? -500 : (i * 37 % 101) - 50.0;
        points.push_back({i * 0.1, y, flags, (i % 13) * 0.5});
    }
    list.AddLine(g, FakeLine::Points(points, true));
    TGrDia x;
    GrPointOrders orders;
    GrCollectRanges(&list, &x, &orders);
    TGrDia& a = *list.GetGrDia(g);
    const struct {
        double lo, hi;
    } windows[] = {{-10, 200}, {6.35, 80.05}, {29.95, 30.05}, {10, 16.3}, {69.9, 70.2}, {0, 6.3}};
    for (const auto& w : windows) {
        for (const int skipFaults : {0, 1}) {
            x.viewLo = w.lo;
            x.viewHi = w.hi;
            a.skipFaults = skipFaults;
            GrAutoScale(&list, g, x);
            const double lo = a.viewLo, hi = a.viewHi;
            GrAutoScale(&list, g, x, &orders);
            EXPECT_EQ(a.viewLo, lo) << w.lo << " " << skipFaults;
            EXPECT_EQ(a.viewHi, hi) << w.lo << " " << skipFaults;
        }
    }
}

TEST(GrDia, NormalizeView)
{
    // Renewing a full window follows the data; a partial one is shifted
    // inside, then cut to the data range.
    TGrDia full = AxisWith(0, 100, 0, 50);
    full.isFull = 1;
    full.NormalizeView(true);
    EXPECT_EQ(full.viewHi, 100);

    TGrDia shifted = AxisWith(0, 100, -10, 20);
    shifted.NormalizeView(true);
    EXPECT_EQ(shifted.viewLo, 0);
    EXPECT_EQ(shifted.viewHi, 30);
    EXPECT_EQ(shifted.isFull, 0);

    TGrDia wide = AxisWith(0, 100, -10, 200);
    wide.NormalizeView(false);
    EXPECT_EQ(wide.viewLo, 0);
    EXPECT_EQ(wide.viewHi, 100);
    EXPECT_EQ(wide.isFull, 1);

    TGrDia need = AxisWith(0, 100, 40, 50);
    need.needLo = 30;
    need.needHi = 35;
    need.minSpan = 30;
    need.NormalizeView(true);
    EXPECT_EQ(need.viewLo, 25);
    EXPECT_EQ(need.viewHi, 55);

    TGrDia invalid = AxisWith(0, 100, 60, 50);
    invalid.NormalizeView(false);
    EXPECT_EQ(invalid.viewLo, 0);
    EXPECT_EQ(invalid.isFull, 1);
}

TEST(GrDia, ZoomScalesAboutTheAnchorAndEndsAtTheFullRange)
{
    TGrDia a = AxisWith(0, 1000, 400, 600);
    a.isAuto = 1;
    a.ZoomAbout(3, 500);
    EXPECT_NEAR(a.viewHi - a.viewLo, 200 * 1.331, 1e-9);
    EXPECT_NEAR(a.viewLo + a.viewHi, 1000, 1e-9);
    EXPECT_EQ(a.isAuto, 0);
    a.ZoomAbout(-3, 500);
    EXPECT_NEAR(a.viewHi - a.viewLo, 200, 1e-9);
    a.ZoomAbout(40, 100);
    EXPECT_EQ(a.viewLo, 0);
    EXPECT_EQ(a.viewHi, 1000);
    EXPECT_EQ(a.isFull, 1);
}

TEST(GrDia, ScrollBarMappingAndScrolling)
{
    TGrDia a = AxisWith(0, 1000, 0, 100);
    FakeScrollBar h(false), v(true);
    a.UpdateScrollBar(&h);
    a.UpdateScrollBar(&v);
    EXPECT_EQ(h.page, 100000001);
    EXPECT_EQ(h.position, 0);
    EXPECT_EQ(v.position, 900000000);

    // Line steps are a twentieth of a page; the window keeps its width.
    a.Scroll(SB_GR_LINEDOWN, &h);
    EXPECT_NEAR(a.viewLo, 5, 1e-6);
    a.Scroll(SB_GR_BOTTOM, &h);
    EXPECT_EQ(a.viewHi, 1000);
    EXPECT_NEAR(a.viewLo, 900, 1e-6);
    // On a vertical bar position 0 shows the top of the data range.
    a.Scroll(SB_GR_TOP, &v);
    EXPECT_EQ(a.viewHi, 1000);
    EXPECT_EQ(v.position, 0);
    a.Scroll(SB_GR_CENTER, &h);
    EXPECT_NEAR(a.viewLo, 450, 1e-6);
    EXPECT_NEAR(a.viewHi, 550, 1e-6);
    a.isAuto = 1;
    a.Scroll(SB_GR_THUMBTRACK, &h, 100000000);
    EXPECT_EQ(a.isAuto, 0);
    EXPECT_NEAR(a.viewLo, 100, 1e-6);

    // A window showing everything does not move.
    TGrDia full = AxisWith(0, 1000, 0, 1000);
    full.isFull = 1;
    full.UpdateScrollBar(&h);
    full.Scroll(SB_GR_PAGEDOWN, &h);
    full.Scroll(SB_GR_LINEDOWN, &h);
    EXPECT_EQ(full.viewLo, 0);
    EXPECT_EQ(full.viewHi, 1000);

    TGrDia empty;
    empty.UpdateScrollBar(&h);
    EXPECT_FALSE(h.enabled);
}

} // namespace
