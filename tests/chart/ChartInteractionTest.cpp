// How the chart answers the wheel, keys, dragging and its popup menu.
#include "FakeGrList.h"
#include "TGrScrollBar.h"
#include "TGrWheelHook.h"
#include "TGrWnd.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct InteractionFixture : testing::Test {
    void SetUp() override
    {
        for (int g = 0; g < 3; ++g)
            list.AddLine(list.AddGraph(), FakeLine::Points({{0, 0, 0x40}, {1000, 100, 0x40}}));
        chart.resize(600, 400);
        chart.show();
        chart.SetGrList(&list);
        chart.RenderImage(); // lays out the label column
        // A window inside the data on every axis, so zooming can go both ways.
        const std::pair<TGrDia*, const char*> axes[] = {
            {&chart.XAxis(), "id1008"}, {list.GetGrDia(0), "id40000"}, {list.GetGrDia(1), "id40001"}, {list.GetGrDia(2), "id40002"}};
        for (auto [a, bar] : axes) {
            const double span = a->dataHi - a->dataLo;
            a->viewLo = a->dataLo + span * 0.25;
            a->viewHi = a->dataLo + span * 0.75;
            a->isFull = 0;
            a->UpdateScrollBar(chart.findChild<TGrScrollBar*>(bar));
        }
    }
    void TearDown() override
    {
        if (QMenu* menu = TGrWnd::PopupMenu())
            menu->close();
    }
    void Wheel(QWidget* target, QPoint chartPos, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QPointF local = target->mapFrom(&chart, chartPos);
        QWheelEvent wheel(local, chart.mapToGlobal(QPointF(chartPos)), QPoint(), QPoint(0, delta), Qt::NoButton,
                          mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
        QCoreApplication::sendPostedEvents(&chart);
    }
    void Mouse(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent e(type, p, chart.mapToGlobal(p), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&chart, &e);
    }
    QStringList MenuTexts()
    {
        QStringList texts;
        for (QAction* a : TGrWnd::PopupMenu()->actions())
            if (!a->isSeparator())
                texts << a->text();
        return texts;
    }
    QAction* MenuItem(int id) { return TGrWnd::PopupMenu()->findChild<QAction*>(QStringLiteral("id%1").arg(id)); }
    double Width(const TGrDia& a) { return a.viewHi - a.viewLo; }

    FakeGrList list;
    TGrWnd chart;
};

TEST_F(InteractionFixture, WheelOverAPlotZoomsXAboutTheCursorAndWithCtrlThePaneY)
{
    TGrDia& x = chart.XAxis();
    const QRect plot = chart.PlotRect(1);
    const QPoint p(plot.left() + plot.width() / 3, plot.top() + plot.height() / 4);
    const double width = Width(x);
    const double anchor = x.viewLo + width * p.x() / chart.width();
    Wheel(&chart, p, 120);
    EXPECT_NEAR(Width(x), width * 1.1, 1e-9 * width);
    EXPECT_NEAR(x.viewLo + (anchor - x.viewLo), anchor, 1e-9);
    EXPECT_NEAR((anchor - x.viewLo) / Width(x), (p.x() / double(chart.width())), 1e-9);

    TGrDia& y = *list.GetGrDia(1);
    const double yWidth = Width(y);
    const double yAnchor = y.viewHi + (y.viewLo - y.viewHi) * (p.y() - plot.top()) / plot.height();
    Wheel(&chart, p, -240, Qt::ControlModifier);
    EXPECT_NEAR(Width(y), yWidth / 1.21, 1e-9 * yWidth);
    EXPECT_NEAR((y.viewHi - yAnchor) / Width(y), (p.y() - plot.top()) / double(plot.height()), 1e-9);
    EXPECT_NEAR(Width(x), width * 1.1, 1e-9 * width);
}

TEST_F(InteractionFixture, WheelOverTheScrollBarColumnZoomsYAndOverTheBottomRowZoomsX)
{
    auto* bar = chart.findChild<QScrollBar*>("id40002");
    ASSERT_NE(bar, nullptr);
    const double yWidth = Width(*list.GetGrDia(2)), xWidth = Width(chart.XAxis());
    Wheel(bar, bar->geometry().center(), 120);
    EXPECT_NEAR(Width(*list.GetGrDia(2)), yWidth * 1.1, 1e-6);
    EXPECT_NEAR(Width(chart.XAxis()), xWidth, 1e-9);

    auto* xBar = chart.findChild<QScrollBar*>("id1008");
    Wheel(xBar, xBar->geometry().center(), 120);
    EXPECT_NEAR(Width(chart.XAxis()), xWidth * 1.1, 1e-6);
}

TEST_F(InteractionFixture, OnlyTheFirst128ChartsAreHookedForTheWheel)
{
    EXPECT_TRUE(GrHookIsRegistered(&chart));
    std::vector<std::unique_ptr<TGrWnd>> more;
    while (more.size() < 128)
        more.push_back(std::make_unique<TGrWnd>());
    EXPECT_TRUE(GrHookIsRegistered(more[126].get()));
    EXPECT_FALSE(GrHookIsRegistered(more[127].get()));
    more.clear();
    EXPECT_TRUE(GrHookIsInstalled());
}

TEST_F(InteractionFixture, KeyReleasesAreIgnoredAndTabWraps)
{
    TGrDia& x = chart.XAxis();
    const double lo = x.viewLo;
    chart.GrKey(Qt::Key_Right, Qt::NoModifier, 1, true);
    EXPECT_EQ(x.viewLo, lo);
    chart.GrKey(Qt::Key_Right, Qt::NoModifier, 1, false);
    EXPECT_GT(x.viewLo, lo);

    EXPECT_EQ(chart.CurrentGraph(), 0);
    chart.GrKey(Qt::Key_Backtab, Qt::ShiftModifier, 1, false);
    EXPECT_EQ(chart.CurrentGraph(), 2);
    chart.GrKey(Qt::Key_Tab, Qt::NoModifier, 1, false);
    EXPECT_EQ(chart.CurrentGraph(), 0);

    // Numeric / turns automatic scaling back on for the current graph.
    list.GetGrDia(0)->isAuto = 0;
    chart.GrKey(Qt::Key_Slash, Qt::KeypadModifier, 1, false);
    EXPECT_EQ(list.GetGrDia(0)->isAuto, 1);
}

TEST_F(InteractionFixture, DraggingAPlotInAutomaticScalingMovesOnlyX)
{
    TGrDia& x = chart.XAxis();
    TGrDia& y = *list.GetGrDia(0);
    y.isAuto = 1;
    const double xLo = x.viewLo, yLo = y.viewLo;
    const QPoint p = chart.PlotRect(0).center();
    Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, p + QPoint(60, 30), Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, p + QPoint(60, 30), Qt::LeftButton, Qt::NoButton);
    EXPECT_NEAR(x.viewLo, xLo - 60 * Width(x) / chart.width(), 1e-9);
    EXPECT_EQ(y.viewLo, yLo);

    // Without automatic scaling the pane's window follows the mouse too.
    y.isAuto = 0;
    Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, p + QPoint(0, 30), Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, p + QPoint(0, 30), Qt::LeftButton, Qt::NoButton);
    EXPECT_GT(y.viewLo, yLo);
}

TEST_F(InteractionFixture, DraggingAPaneBoundaryMovesOnlyThatBoundary)
{
    const QRect upper = chart.PlotRect(0), lower = chart.PlotRect(1);
    const double xLo = chart.XAxis().viewLo;
    const QPoint gap(upper.center().x(), upper.bottom() + 3);
    Mouse(QEvent::MouseButtonPress, gap, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, gap + QPoint(40, 20), Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, gap + QPoint(40, 20), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(chart.PlotRect(0).bottom(), upper.bottom() + 20);
    EXPECT_EQ(chart.PlotRect(1).top(), lower.top() + 20);
    EXPECT_EQ(chart.PlotRect(1).bottom(), lower.bottom());
    EXPECT_EQ(chart.XAxis().viewLo, xLo);
}

TEST_F(InteractionFixture, ScrollBarsAndZoomArrowsActOnTheirAxis)
{
    TGrDia& x = chart.XAxis();
    const double lo = x.viewLo, width = Width(x);
    chart.findChild<TGrScrollBar*>("id1008")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_NEAR(x.viewLo, lo + width / 20, width * 1e-6);

    TGrDia& y = *list.GetGrDia(1);
    const double yWidth = Width(y), centre = (y.viewLo + y.viewHi) / 2;
    QWidget* arrows = chart.findChild<QWidget*>("id41001");
    ASSERT_NE(arrows, nullptr);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(arrows->width() / 2, 1), arrows->mapToGlobal(QPointF(2, 1)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(arrows, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(arrows->width() / 2, 1),
                        arrows->mapToGlobal(QPointF(2, 1)), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(arrows, &release);
    EXPECT_EQ(chart.CurrentGraph(), 1);
    EXPECT_NEAR(Width(y), yWidth * 1.1, yWidth * 1e-9);
    EXPECT_NEAR((y.viewLo + y.viewHi) / 2, centre, yWidth * 1e-9);
}

TEST_F(InteractionFixture, PopupMenusByZone)
{
    // Inside a plot: no menu.
    Mouse(QEvent::MouseButtonPress, chart.PlotRect(0).center(), Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(TGrWnd::PopupMenu(), nullptr);

    // The bottom row: the X menu, without the automatic scaling items.
    const int cy = chart.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    Mouse(QEvent::MouseButtonPress, QPoint(chart.width() / 2, chart.height() - cy / 2), Qt::RightButton,
          Qt::RightButton);
    ASSERT_NE(TGrWnd::PopupMenu(), nullptr);
    const QStringList xTexts = MenuTexts();
    EXPECT_EQ(xTexts.first(), QString::fromUtf8("Полный диапазон"));
    EXPECT_NE(MenuItem(45001), nullptr);
    EXPECT_EQ(MenuItem(45000), nullptr);
    EXPECT_TRUE(xTexts.contains(QString::fromUtf8("Вид: час:мин:сек")));
    EXPECT_FALSE(xTexts.contains(QString::fromUtf8("Вид: дни:час:мин:сек")));
    EXPECT_TRUE(MenuItem(45024)->isChecked());

    // A right press on a pane's scroll bar opens that graph's menu.
    auto* bar = chart.findChild<QScrollBar*>("id40001");
    TGrDia& y = *list.GetGrDia(1);
    y.isAuto = 0;
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), bar->mapToGlobal(QPointF(2, 2)), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    EXPECT_EQ(chart.CurrentGraph(), 1);
    EXPECT_EQ(MenuTexts().first(), QString::fromUtf8("Автовыбор масштаба"));
    QAction* faults = MenuItem(45600);
    ASSERT_NE(faults, nullptr);
    EXPECT_EQ(faults->text(), QString::fromUtf8("C игнорированием сбоев"));
    EXPECT_TRUE(faults->isChecked());
    EXPECT_FALSE(faults->isEnabled());
    EXPECT_TRUE(MenuItem(45501)->isEnabled());

    faults->setEnabled(true);
    faults->trigger();
    EXPECT_EQ(y.isAuto, 1);
    EXPECT_EQ(y.skipFaults, 0);
}

TEST_F(InteractionFixture, MenuCommandsActOnTheirAxis)
{
    const int cy = chart.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    Mouse(QEvent::MouseButtonPress, QPoint(chart.width() / 2, chart.height() - cy / 2), Qt::RightButton,
          Qt::RightButton);
    MenuItem(45001)->trigger();
    EXPECT_EQ(chart.XAxis().isFull, 1);
    EXPECT_EQ(chart.XAxis().viewLo, chart.XAxis().dataLo);

    Mouse(QEvent::MouseButtonPress, QPoint(chart.width() / 2, chart.height() - cy / 2), Qt::RightButton,
          Qt::RightButton);
    MenuItem(45020)->trigger();
    EXPECT_EQ(chart.XAxis().GetFormat(), 0);
    Mouse(QEvent::MouseButtonPress, QPoint(chart.width() / 2, chart.height() - cy / 2), Qt::RightButton,
          Qt::RightButton);
    const QRect before = chart.PlotRect(2);
    MenuItem(45012)->trigger();
    EXPECT_EQ(chart.XAxis().showValues, 0);
    EXPECT_GT(chart.PlotRect(2).bottom(), before.bottom()); // the X label row is gone
}

} // namespace
