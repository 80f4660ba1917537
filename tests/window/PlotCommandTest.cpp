// brenna-cli plot end to end: a recording in, a PNG of the requested size
// out, with the chart drawn on it.
#include "EcgFixture.h"
#include "TempDir.h"

#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <set>

namespace {

int RunCli(const QStringList& arguments)
{
    QProcess cli;
    cli.start(QString::fromStdString(TestBinFolder() + "/brenna-cli"), arguments);
    if (!cli.waitForFinished(120000))
        return -1;
    return cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
}

TEST(PlotCommand, DrawsTheChartIntoAPngOfTheGivenSize)
{
    TempDir dir;
    const std::string recording = dir.File("plot.экг");
    WriteRecording(
        recording, 200, [](int64_t i) { return SyntheticEcg(i); },
        [](int k) {
            FixtureSector s;
            s.accelCount = 1;
            s.accelSums[0] = static_cast<uint16_t>(100 + k % 50);
            s.accelSums[1] = static_cast<uint16_t>(150 - k % 30);
            s.accelSums[2] = 128;
            return s;
        });
    const QString out = QString::fromStdString(dir.File("plot.png"));
    ASSERT_EQ(RunCli({"plot", QString::fromStdString(recording), out, "--width", "640", "--height", "480"}), 0);
    QImage image(out);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(640, 480));
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 4u) << "lines, grid and labels in several colours";

    const QString part = QString::fromStdString(dir.File("part.png"));
    EXPECT_EQ(RunCli({"plot", QString::fromStdString(recording), part, "--series", "ecg,filtered,threshold", "--from",
                      "10", "--to", "12"}),
              0);
    EXPECT_FALSE(QImage(part).isNull());

    EXPECT_EQ(RunCli({"plot", QString::fromStdString(recording), part, "--series", "nonsense"}), 1);
    EXPECT_EQ(RunCli({"plot", QString::fromStdString(recording), part, "--from", "12", "--to", "10"}), 1);
    EXPECT_EQ(RunCli({"plot", QString::fromStdString(dir.File("missing.экг")), part}), 1);
}

} // namespace
