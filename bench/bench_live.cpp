// Live view timing: decoding one live packet (filter on) and redrawing the
// trace in an offscreen window of 1280 x 800, including the window's repaint.
// The device sends a packet every 0.24 s; this must stay far below that.
#include "DateCache.h"
#include "LiveChartPainter.h"
#include "OLiveView.h"
#include "OSettings.h"
#include "RecordingWriter.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kPackets = 1000;
constexpr int kChartTop = 120;

class LiveBenchWindow : public QWidget, public OLiveSink {
public:
    explicit LiveBenchWindow(OLiveView& view) : m_View(view) { resize(1280, 800); }
    void DrawLiveChart() override
    {
        m_Chart.Draw(size(), kChartTop, m_View.Samples(), OLiveView::kSampleCount, m_View.WritePos(),
                     palette().color(QPalette::Window).rgb());
        repaint(0, kChartTop - 1, width(), height() - kChartTop + 1);
    }
    void ShowStatus(const std::string& line) override { m_Status = line; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        m_Chart.Paint(painter, kChartTop);
    }

private:
    OLiveView& m_View;
    LiveChartPainter m_Chart;
    std::string m_Status;
};

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    // Settings and the date cache go to a scratch folder.
    const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "brenna-bench-live";
    std::filesystem::create_directories(scratch);
    OSettings::SetStorageFolder(scratch.string());
    SetDateCacheFolders((scratch / "DATECACHE").string(), (scratch / "DATECACHE2").string());

    ORecordingOptions options;
    options.firstSector = 0x10000;
    ORecordingWriter writer(options);
    std::vector<std::vector<uint8_t>> packets(kPackets, std::vector<uint8_t>(515));
    for (auto& packet : packets) {
        writer.NextSector(packet.data());
        packet[512] = 0x0B;
    }

    OLiveView view;
    LiveBenchWindow window(view);
    window.show();
    std::vector<double> ms;
    ms.reserve(kPackets);
    for (const auto& packet : packets) {
        const auto start = std::chrono::steady_clock::now();
        view.DecodeLivePacket(packet.data(), true, window);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(ms.begin(), ms.begin() + kPackets / 2, ms.end());
    std::printf("packet_decode_draw_ms: %.3f ms\n", ms[kPackets / 2]);
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return 0;
}
