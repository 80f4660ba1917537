// bench_window [HOURS]: the analysis window on a synthetic recording (24 hours
// unless told): the processing pass, the time from the end of the pass to
// the first painted chart (results enabled, graph list rebuilt, chart drawn),
// and event_list_day_s: from the events found to the event list painted, for
// a heavy day's list (what the event finder found, filled up to one event
// every 9 s of the recording).
//
// Then the week (BenchSupport's WeekRecordingPath), in a child process of
// its own so that its peak memory is the window's alone: window_7d_open_s
// from the window's construction to its first painted chart (open, pass,
// chart), the frames of zooming and scrolling with the raw and filtered ECG
// shown, and window_7d_peak_mb, the child's peak resident memory, beside
// the file's size (the goal: under 1.5 times the file).
#include "BenchSupport.h"
#include "CShowDataWindow.h"
#include "CControlBar.h"
#include "EcgTime.h"
#include "TGrWnd.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeView>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Sectors of a plain 72 bpm ECG with slowly changing temperature and motion.
void WriteRecording(const std::string& path, int64_t sectors)
{
    std::ofstream out(path, std::ios::binary);
    std::vector<uint8_t> s(512);
    for (int64_t k = 0; k < sectors; ++k) {
        std::fill(s.begin(), s.end(), 0);
        s[17] = 36;
        s[19] = static_cast<uint8_t>(8 + 6 * std::sin(k / 3000.0));
        s[20] = 16;
        for (int a = 0; a < 3; ++a) {
            const auto sum = static_cast<uint16_t>(10 * (128 + 40 * std::sin(k / (500.0 + 100 * a))));
            s[36 + 2 * a] = static_cast<uint8_t>(sum);
            s[37 + 2 * a] = static_cast<uint8_t>(sum >> 8);
        }
        s[43] = 10;
        for (int i = 0; i < 234; ++i) {
            const double t = (k * 234 + i) * 0.001024;
            const double phase = std::fmod(t, 60.0 / 72) - 0.4;
            const double r = std::fabs(phase) < 0.025 ? 1500 * (1 - std::fabs(phase) / 0.025) : 0;
            const auto v = static_cast<uint16_t>(5000 + r);
            s[44 + 2 * i] = static_cast<uint8_t>(v);
            s[45 + 2 * i] = static_cast<uint8_t>(v >> 8);
        }
        out.write(reinterpret_cast<const char*>(s.data()), 512);
    }
}

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The child: the window on the week, first view, then zoom and scroll.
int RunWeek(QApplication& app, const std::string& path)
{
    const auto start = Clock::now();
    CShowDataWindow window(path);
    QObject::connect(&window, &CShowDataWindow::PassShown, [&] {
        window.Chart()->RenderImage();
        std::printf("window_7d_open_s: %.2f s\n", Since(start));
        // The raw and the filtered ECG as well: their envelopes and spans.
        for (const int id : {kIdRawEcg, kIdFilteredEcg, kIdThreshold}) {
            auto* box = window.findChild<QAbstractButton*>(QString("id%1").arg(id));
            if (box && !box->isChecked())
                box->click();
        }
        const double t0 = window.GrList().StartTime();
        const double length = kBenchWeekSectors * kSectorDuration;
        auto frame = [&](double lo, double hi) {
            const auto f = Clock::now();
            window.Chart()->ShowXRange(t0 + lo, t0 + hi);
            window.Chart()->RenderImage();
            return Since(f) * 1000;
        };
        std::printf("window_7d_whole_ms: %.1f ms\n", frame(0, length)); // the first frame of the whole week
        std::printf("window_7d_whole_again_ms: %.1f ms\n", frame(0, length));
        double zoom = 0, scroll = 0;
        int zooms = 0, scrolls = 0;
        // Zooming in on the middle of the fourth day, 4x a step down to 10 s.
        for (double span = length / 4; span >= 10; span /= 4, ++zooms)
            zoom = std::max(zoom, frame(3.5 * 86400 - span / 2, 3.5 * 86400 + span / 2));
        // Scrolling by a fifth of a 10 s view, then by whole views.
        for (int i = 0; i < 50; ++i, ++scrolls)
            scroll = std::max(scroll, frame(3.5 * 86400 + 2.0 * i, 3.5 * 86400 + 2.0 * i + 10));
        for (int i = 0; i < 50; ++i, ++scrolls)
            scroll = std::max(scroll, frame(5 * 86400 + 10.0 * i, 5 * 86400 + 10.0 * i + 10));
        std::printf("window_7d_zoom_max_ms: %.1f ms\n", zoom);
        std::printf("window_7d_zoom_frames: %d frames\n", zooms);
        std::printf("window_7d_scroll_max_ms: %.1f ms\n", scroll);
        std::printf("window_7d_scroll_frames: %d frames\n", scrolls);
        app.quit();
    });
    window.show();
    return app.exec();
}

// Runs this program on the week in a child process; its peak memory.
void MeasureWeek(const char* self)
{
    const std::string path = WeekRecordingPath();
    if (path.empty()) {
        std::printf("window_7d: no week-long recording could be written\n");
        return;
    }
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(self, self, "--week", path.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::printf("window_7d: the week's window failed\n");
        return;
    }
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const double fileMb = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::printf("window_7d_peak_mb: %.0f MB\n", usage.ru_maxrss / 1e3);
    std::printf("window_7d_file_mb: %.0f MB\n", fileMb);
    std::printf("window_7d_peak_to_file: %.2f ratio\n", usage.ru_maxrss / 1e3 / fileMb);
}

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--week") == 0)
        return RunWeek(app, argv[2]);
    const double hours = argc > 1 ? std::atof(argv[1]) : 24.0;
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("bench.экг").toStdString();
    WriteRecording(path, static_cast<int64_t>(hours * 3600 / 0.239616));

    CShowDataWindow window(path);
    std::atomic<int64_t> passStart{0}, passEnd{0};
    window.SetPass([&](OEcgFile& file, OEKGFilter& filter, OProcessControl& control) {
        passStart = Clock::now().time_since_epoch().count();
        ProcessFile(file, filter, control, {.display = true});
        passEnd = Clock::now().time_since_epoch().count();
    });
    std::atomic<int64_t> eventsFound{0};
    window.SetEventFinder([&](const OImpulse* impulses, int64_t count, int64_t totalSamples) {
        ORhythmSummary summary = FindRhythmEvents(impulses, count, totalSamples);
        const auto step = static_cast<int64_t>(9.0 * kSampleRate);
        for (int64_t at = static_cast<int64_t>(summary.events.size()) * step; at + step < totalSamples; at += step)
            summary.events.push_back({ORhythmKind::Couplet, at, at + 700, 2, 0.0});
        eventsFound = Clock::now().time_since_epoch().count();
        return summary;
    });
    QObject::connect(&window, &CShowDataWindow::PassShown, [&] {
        window.EventList()->grab();
        const auto listShown = Clock::now().time_since_epoch().count();
        const double toList = std::chrono::duration<double>(Clock::duration(listShown - eventsFound)).count();
        std::printf("event_list_day_s: %.3f s (%d events)\n", toList, window.EventModel().rowCount());
        window.Chart()->RenderImage();
        const auto painted = Clock::now().time_since_epoch().count();
        const double toPaint = std::chrono::duration<double>(Clock::duration(painted - passEnd)).count();
        const double pass = std::chrono::duration<double>(Clock::duration(passEnd - passStart)).count();
        std::printf("processing pass (%.1f h): %.2f s\n", hours, pass);
        std::printf("pass end to first painted chart: %.0f ms\n", toPaint * 1000);
        app.quit();
    });
    window.show();
    const int result = app.exec();
    MeasureWeek(argv[0]);
    return result;
}
