#pragma once
// A window with a chart over synthetic series, to try the chart on its own.
class QWidget;

// A top-level window (not shown yet) owning its chart and data; it forwards
// its keys to the chart as an analysis window does.
QWidget* CreateChartDemoWindow();
