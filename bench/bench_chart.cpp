// Chart timings offscreen at 1920 x 1080: six graphs over 24 hours (three
// function lines over 84 million samples, point lines of 300,000 and 100,000
// points, a band with spread). Each step is the chart's work for one user
// action plus the full paint that follows it.
#include "GrSynthetic.h"
#include "TGrScrollBar.h"
#include "TGrWnd.h"

#include <QApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <functional>
#include <vector>

namespace {

// Processor time of this thread, which a busy machine does not inflate.
std::vector<double> g_CpuMs;

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double TimeMs(const std::function<void()>& f)
{
    const double cpuStart = ThreadCpuMs();
    const auto start = std::chrono::steady_clock::now();
    f();
    g_CpuMs.push_back(ThreadCpuMs() - cpuStart);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

double P95(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms[static_cast<size_t>(std::ceil(0.95 * ms.size())) - 1];
}

// Wall-clock figures, then the same steps in processor time.
void Report(const std::string& name, const std::vector<double>& wall, const std::vector<double>& cpu)
{
    std::printf("%s_median_ms: %.2f ms\n", name.c_str(), Median(wall));
    if (name != "setgrlist")
        std::printf("%s_p95_ms: %.2f ms\n", name.c_str(), P95(wall));
    std::printf("%s_cpu_median_ms: %.2f ms\n", name.c_str(), Median(cpu));
    if (name != "setgrlist")
        std::printf("%s_cpu_p95_ms: %.2f ms\n", name.c_str(), P95(cpu));
}

// The processor times recorded since mark.
std::vector<double> CpuSince(size_t mark) { return {g_CpuMs.begin() + static_cast<long>(mark), g_CpuMs.end()}; }

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    GrSyntheticOptions options;
    options.signalGraphs = 3;
    options.pulsePoints = 300000;
    options.temperaturePoints = 100000;
    options.bandPoints = 1440;
    GrSyntheticList list(options);
    std::printf("samples: %lld\n", static_cast<long long>(list.SampleCount()));

    TGrWnd chart;
    chart.resize(1920, 1080);
    QImage frame;

    size_t mark = g_CpuMs.size();
    std::vector<double> setGrList;
    for (int i = 0; i < 15; ++i)
        setGrList.push_back(TimeMs([&] { chart.SetGrList(&list); }));
    const std::vector<double> setGrListCpu = CpuSince(mark);
    mark = g_CpuMs.size();

    std::vector<double> paint;
    for (int i = 0; i < 30; ++i)
        paint.push_back(TimeMs([&] { chart.RenderInto(frame); }));
    const std::vector<double> paintCpu = CpuSince(mark);
    mark = g_CpuMs.size();

    // Wheel steps about a point two thirds along, in to about half an hour
    // and out again to the full range.
    TGrDia& x = chart.XAxis();
    std::vector<double> zoom;
    for (int round = 0; round < 2; ++round) {
        for (int step : {-1, 1}) {
            for (int i = 0; i < 40; ++i)
                zoom.push_back(TimeMs([&] {
                    chart.Zoom(step, &x, chart.XScrollBar(), x.viewLo + (x.viewHi - x.viewLo) * 2 / 3);
                    chart.RenderInto(frame);
                }));
        }
    }

    const std::vector<double> zoomCpu = CpuSince(mark);

    // Line and page steps through a one-hour window.
    chart.Zoom(std::log(1.0 / 24) / std::log(1.1), &x, chart.XScrollBar(), x.viewLo);
    mark = g_CpuMs.size();
    std::vector<double> scroll;
    for (int i = 0; i < 100; ++i)
        scroll.push_back(TimeMs([&] {
            chart.GrKey(Qt::Key_Right, i % 10 == 9 ? Qt::ControlModifier : Qt::NoModifier, 1, false);
            chart.RenderInto(frame);
        }));

    const std::vector<double> scrollCpu = CpuSince(mark);
    Report("paint", paint, paintCpu);
    Report("zoom", zoom, zoomCpu);
    Report("scroll", scroll, scrollCpu);
    Report("setgrlist", setGrList, setGrListCpu);
    return 0;
}
