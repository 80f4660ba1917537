// bench_window [HOURS]: the analysis window on a synthetic recording (24 hours
// unless told): the processing pass, the time from the end of the pass to
// the first painted chart (results enabled, graph list rebuilt, chart drawn),
// and event_list_day_s: from the events found to the event list painted, for
// a heavy day's list (what the event finder found, filled up to one event
// every 9 s of the recording).
#include "CShowDataWindow.h"
#include "EcgTime.h"
#include "TGrWnd.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeView>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const double hours = argc > 1 ? std::atof(argv[1]) : 24.0;
    QTemporaryDir dir;
    const std::string path = QDir(dir.path()).filePath("bench.экг").toStdString();
    WriteRecording(path, static_cast<int64_t>(hours * 3600 / 0.239616));

    CShowDataWindow window(path);
    std::atomic<int64_t> passStart{0}, passEnd{0};
    window.SetPass([&](OEcgFile& file, OEKGFilter& filter, OProcessControl& control) {
        passStart = Clock::now().time_since_epoch().count();
        ProcessFile(file, filter, control);
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
    return app.exec();
}
