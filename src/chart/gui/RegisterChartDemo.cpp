// brenna --chart-demo: the chart over synthetic series, to judge it on its own.
#include "AppWindows.h"
#include "ChartDemo.h"

namespace {
const AppWindowRegistration g_Registration{{"--chart-demo", "", "a chart over synthetic 24-hour series",
                                            [](const std::string&) -> std::unique_ptr<QWidget> {
                                                return std::unique_ptr<QWidget>(CreateChartDemoWindow());
                                            }}};
} // namespace
