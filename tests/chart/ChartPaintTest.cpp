// What the chart paints, checked on offscreen images.
#include "FakeGrList.h"
#include "TGrResources.h"
#include "TGrWnd.h"

#include <QApplication>
#include <QScrollBar>
#include <QStyle>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

struct ChartFixture : testing::Test {
    void SetUp() override
    {
        chart.resize(400, 300);
        chart.show();
    }
    // Attaches the list; every axis gets a fixed window [0, 100] with no
    // grid and no labels unless asked for.
    void Attach(bool labels = false)
    {
        chart.SetGrList(&list);
        for (TGrDia* a : Axes()) {
            a->isAuto = 0;
            a->viewLo = 0;
            a->viewHi = 100;
            a->showSetka = 0;
            a->showValues = labels;
        }
    }
    std::vector<TGrDia*> Axes()
    {
        std::vector<TGrDia*> axes{&chart.XAxis()};
        for (int g = 0; g < list.GetGrCount(); ++g)
            axes.push_back(list.GetGrDia(g));
        return axes;
    }
    // Pixel of value (x, y) in graph g, by the chart's own mapping.
    QPoint At(int g, double x, double y)
    {
        const QRect r = chart.PlotRect(g);
        const TGrDia& xa = chart.XAxis();
        const TGrDia& ya = *list.GetGrDia(g);
        return QPoint(r.left() + int((x - xa.viewLo) * (r.right() + 1 - r.left()) / (xa.viewHi - xa.viewLo)),
                      r.bottom() - int((y - ya.viewLo) * (r.bottom() - r.top()) / (ya.viewHi - ya.viewLo)));
    }
    static int CountDark(const QImage& image, const QRect& area)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += qGray(image.pixel(x, y)) < 128;
        return n;
    }
    static int CountColor(const QImage& image, const QRect& area, QRgb color)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += image.pixel(x, y) == color;
        return n;
    }

    FakeGrList list;
    TGrWnd chart;
};

TEST_F(ChartFixture, EmptyListShowsOnlyTheBottomRowOnWhite)
{
    chart.SetGrList(&list);
    EXPECT_EQ(chart.PaneCount(), 0);
    const QImage shot = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int cy = chart.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QRect above(0, 0, shot.width(), shot.height() - cy);
    EXPECT_EQ(CountColor(shot, above, kWhite), above.width() * above.height());
    EXPECT_NE(CountColor(shot, QRect(0, shot.height() - cy, shot.width(), cy), kWhite), shot.width() * cy);
}

TEST_F(ChartFixture, PanesFollowTheGraphCountWithTheirControls)
{
    list.AddGraph();
    list.AddGraph();
    list.AddGraph();
    chart.SetGrList(&list);
    EXPECT_NE(chart.findChild<QScrollBar*>("id40002"), nullptr);
    EXPECT_NE(chart.findChild<QWidget*>("id41002"), nullptr);
    list.graphs.pop_back();
    chart.SetGrList(&list);
    EXPECT_EQ(chart.PaneCount(), 2);
    EXPECT_EQ(chart.findChild<QScrollBar*>("id40002"), nullptr);
    EXPECT_EQ(chart.PlotRect(1).top(), chart.PlotRect(0).bottom() + 1 + 6);
}

TEST_F(ChartFixture, LabelColumnOnlyWhenSomeGraphShowsLabels)
{
    list.AddLine(list.AddGraph(), FakeLine::Points({{10, 10}, {90, 90}}));
    Attach(false);
    chart.RenderImage();
    EXPECT_EQ(chart.LeftPlotEdge(), 0);
    list.GetGrDia(0)->showValues = 1;
    chart.RenderImage();
    EXPECT_GT(chart.LeftPlotEdge(), 0);
    EXPECT_LE(chart.LeftPlotEdge(), chart.width() / 3);
}

TEST_F(ChartFixture, BreakFlagsLeaveGapsAndHideMarkers)
{
    // B (0x42) starts a new polyline without a marker; D (0xC6) stands alone.
    list.AddLine(list.AddGraph(), FakeLine::Points({{10, 50}, {30, 50, 0x42}, {50, 50}, {70, 20, 0xC6}, {90, 50}}));
    Attach();
    const QImage image = chart.RenderImage();
    auto color = [&](double x, double y) { return image.pixel(At(0, x, y)); };
    EXPECT_EQ(color(20, 50), kWhite);                               // A - B not joined
    EXPECT_EQ(color(40, 50), kBlack);                               // B - C joined
    EXPECT_EQ(image.pixel(At(0, 30, 50) + QPoint(-2, -2)), kWhite); // no marker at B
    EXPECT_EQ(image.pixel(At(0, 10, 50) + QPoint(-2, -2)), kBlack); // marker at A
    EXPECT_EQ(color(70, 20), kWhite);                               // D: nothing at all
    EXPECT_EQ(color(60, 35), kWhite);
    EXPECT_EQ(color(70, 50), kWhite); // C and E not joined across D
}

TEST_F(ChartFixture, LineWithSpreadDrawsOnlyItsPaleBand)
{
    list.AddLine(list.AddGraph(), FakeLine::Points({{10, 50, 0, 10}, {90, 50, 0, 10}}, true));
    Attach();
    const QImage image = chart.RenderImage();
    const QRect plot = chart.PlotRect(0);
    EXPECT_EQ(image.pixel(At(0, 50, 55)), qRgb(190, 190, 190));
    EXPECT_EQ(image.pixel(At(0, 50, 65)), kWhite);
    EXPECT_EQ(CountColor(image, plot, kBlack), 0);
}

TEST_F(ChartFixture, PaletteRepeatsFromTheEighthLine)
{
    const int g = list.AddGraph();
    for (int k = 0; k < 8; ++k)
        list.AddLine(g, FakeLine::Points({{0, 10.0 + 10 * k, 0x40}, {100, 10.0 + 10 * k, 0x40}}));
    Attach();
    const QImage image = chart.RenderImage();
    EXPECT_EQ(image.pixel(At(0, 50, 10)), kBlack);
    EXPECT_EQ(image.pixel(At(0, 50, 20)), qRgb(190, 0, 0));
    EXPECT_EQ(image.pixel(At(0, 50, 70)), qRgb(0, 190, 190));
    EXPECT_EQ(image.pixel(At(0, 50, 80)), kBlack);
    EXPECT_EQ(TGrResources::PaleTint(QColor(190, 0, 0)).rgb(), qRgb(239, 190, 190));
}

TEST_F(ChartFixture, ALineWithItsOwnColourKeepsItWhateverItsPlace)
{
    const int g = list.AddGraph();
    list.AddLine(g, FakeLine::Points({{0, 10, 0x40}, {100, 10, 0x40}}));
    list.AddLine(g, FakeLine::Points({{0, 20, 0x40}, {100, 20, 0x40}}))->color = 0x0000D0;
    list.AddLine(g, FakeLine::Points({{0, 30, 0x40}, {100, 30, 0x40}})); // the third place's green
    Attach();
    const QImage image = chart.RenderImage();
    EXPECT_EQ(image.pixel(At(0, 50, 10)), kBlack);
    EXPECT_EQ(image.pixel(At(0, 50, 20)), qRgb(0, 0, 208)) << "not the second place's red";
    EXPECT_EQ(image.pixel(At(0, 50, 30)), qRgb(0, 190, 0));
}

TEST_F(ChartFixture, SpansShadeThePaneBehindTheLinesTheChosenDeeper)
{
    const int g = list.AddGraph();
    list.AddLine(g, FakeLine::Points({{0, 50, 0x40}, {100, 50, 0x40}}));
    list.graphs[g].spans = {{20, 30, 0xFF0000, false}, {60, 70, 0xFF0000, true}};
    Attach();
    const QImage image = chart.RenderImage();
    const QRgb light = image.pixel(At(0, 25, 80)), deep = image.pixel(At(0, 65, 80));
    EXPECT_EQ(image.pixel(At(0, 45, 80)), kWhite) << "between the spans";
    EXPECT_EQ(qRed(light), 255);
    EXPECT_LT(qGreen(light), 255);
    EXPECT_LT(qGreen(deep), qGreen(light)) << "the chosen one deeper";
    EXPECT_EQ(image.pixel(At(0, 25, 5)), light) << "the pane's whole height";
    EXPECT_EQ(image.pixel(At(0, 25, 50)), kBlack) << "the line over the span";
}

TEST_F(ChartFixture, LegendNamesTheSeriesInTheirColoursInThePaneCorner)
{
    // Lines low in the pane leave its top left corner to the legend.
    const int g = list.AddGraph();
    for (double y : {10.0, 20.0})
        list.AddLine(g, FakeLine::Points({{0, y}, {100, y}}))->name = "Температура";
    list.AddLine(g, FakeLine::Points({{0, 30}, {100, 30}})); // no name: no entry
    Attach();
    const QRect plot = chart.PlotRect(0);
    const QRect corner(plot.left(), plot.top(), plot.width() / 2, plot.height() / 3);
    struct Case {
        int showLegend;
        bool shown;
    } cases[] = {{1, true}, {0, false}};
    // Text is smoothed: pixels count by their hue.
    auto count = [&](const QImage& image, auto test) {
        int n = 0;
        for (int y = corner.top(); y <= corner.bottom(); ++y)
            for (int x = corner.left(); x <= corner.right(); ++x)
                n += test(QColor(image.pixel(x, y)));
        return n;
    };
    const auto dark = [](const QColor& c) { return c.red() < 100 && c.green() < 100 && c.blue() < 100; };
    const auto red = [](const QColor& c) { return c.red() > c.green() + 60 && c.red() > c.blue() + 60; };
    const auto green = [](const QColor& c) { return c.green() > c.red() + 60 && c.green() > c.blue() + 60; };
    for (const Case& c : cases) {
        list.GetGrDia(g)->showLegend = c.showLegend;
        const QImage image = chart.RenderImage();
        EXPECT_EQ(count(image, dark) > 10, c.shown) << c.showLegend;
        EXPECT_EQ(count(image, red) > 10, c.shown) << c.showLegend;
        EXPECT_EQ(count(image, green), 0) << "the unnamed line has no entry";
    }
    EXPECT_EQ(TGrDia().showLegend, 1) << "on by default";
}

TEST_F(ChartFixture, MissingFunctionValueRunsPastTheTopEdge)
{
    list.AddLine(list.AddGraph(), FakeLine::Function(0, 100, [](double x) { return x > 40 && x < 60 ? 1e200 : 50; }));
    Attach();
    const QImage image = chart.RenderImage();
    const QRect plot = chart.PlotRect(0);
    // Within [40, 60] the line runs 30 pixels above the plot, where the clip
    // hides it; the steps up and down cross the top edge.
    auto topRowHasLine = [&](double x) {
        const int c = At(0, x, 50).x();
        return CountColor(image, QRect(c - 1, plot.top(), 4, 1), kBlack) > 0;
    };
    EXPECT_TRUE(topRowHasLine(40));
    EXPECT_TRUE(topRowHasLine(60));
    EXPECT_FALSE(topRowHasLine(50));
    EXPECT_FALSE(topRowHasLine(20));
    EXPECT_EQ(image.pixel(At(0, 20, 50)), kBlack);
}

TEST_F(ChartFixture, GridAndTimeLabelsAppear)
{
    list.AddLine(list.AddGraph(), FakeLine::Points({{0, 0}, {7200, 100}}));
    chart.SetGrList(&list);
    const QImage image = chart.RenderImage();
    const QRect plot = chart.PlotRect(0);
    // Grid lines in the plot, labels beside it and below it.
    EXPECT_GT(CountColor(image, plot, qRgb(200, 200, 200)), 0);
    EXPECT_GT(CountDark(image, QRect(0, plot.top(), chart.LeftPlotEdge(), plot.height())), 0);
    const int cy = chart.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_GT(CountDark(image, QRect(0, plot.bottom() + 1, chart.width() - cy, chart.LabelHeight())), 0);
}

} // namespace
