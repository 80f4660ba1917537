// The processing pass over a synthetic recording and the export of its results.
#include "AnalysisFixtures.h"
#include "EcgTime.h"
#include "ExportSeries.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "SectorDecoders.h"
#include "StrFormat.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

std::vector<std::string> ReadLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << path << ": every line ends with CR LF";
    return lines;
}

class ProcessExport : public testing::Test {
protected:
    void SetUp() override
    {
        UseFreshSettings();
        ORecordingOptions options;
        options.ecg.bpm = 90;
        options.ecg.electrodeNoise = {{60.0, 45.0}}; // longer than 3·W: leaves a drop to 0
        path = dir.File("rec.v2.экг");
        WriteFileBytes(path, MakeRecording(options, kSectors));
        ASSERT_TRUE(file.OpenEcgFile(path, true));
    }
    std::string Export(const char* ending) const { return dir.File(std::string("rec.v2") + ending); }

    static constexpr int64_t kSectors = 800; // 192 s
    TempDir dir;
    TestDialogs dialogs;
    std::string path;
    OEcgFile file;
    std::unique_ptr<OEKGFilter> filter = std::make_unique<OEKGFilter>();
};

TEST_F(ProcessExport, PassFillsEveryChannel)
{
    OProcessControl control;
    ASSERT_EQ(ProcessFile(file, *filter, control), kSectors);
    EXPECT_EQ(file.ProcessedN(), 234 * kSectors - (245 + 29));
    EXPECT_EQ(file.Display(), nullptr) << "no display data unless asked";
    EXPECT_EQ(control.progress.load(), kSectors - 1);
    EXPECT_EQ(control.impulses.load(), file.ImpulseInfo().Count());
    EXPECT_EQ(file.FMs().Count(), kSectors - 4);
    ASSERT_GT(file.Thermo().Count(), 1);
    // Temperature points sit where the smoothed value changes, halfway between levels.
    EXPECT_EQ(file.Thermo()[0].x, (5 - 1 - 3) * kSectorDuration);
    for (int64_t i = 0; i < file.Thermo().Count(); ++i)
        EXPECT_NEAR(file.Thermo()[i].y, 36.6, 0.6);
    for (int64_t i = 0; i < file.ImpulseInfo().Count(); ++i) {
        ASSERT_GE(+file.ImpulseInfo()[i].Pos, -274);
        ASSERT_LT(+file.ImpulseInfo()[i].Pos, 234 * kSectors);
    }
}

TEST_F(ProcessExport, CancelStopsBeforeTheNextSector)
{
    OProcessControl control;
    control.cancel.store(1);
    EXPECT_EQ(ProcessFile(file, *filter, control), 0);
    EXPECT_EQ(file.ProcessedN(), 0);
    EXPECT_EQ(file.ImpulseInfo().Count(), 0);
}

TEST_F(ProcessExport, FourFilesInTheirFormats)
{
    OProcessControl control;
    ProcessFile(file, *filter, control);
    ASSERT_TRUE(ExportDerivedSeries(file));
    EXPECT_EQ(dialogs.Messages().back().text, "Выгрузка файлов успешна!");
    EXPECT_EQ(dialogs.Messages().back().caption, "ЭКСПОРТ");

    const auto pulse = ReadLines(Export(" - частота пульса.txt"));
    ASSERT_EQ(static_cast<int64_t>(pulse.size()), file.Puls().Count());
    int timeOnly = 0;
    for (size_t i = 0; i < pulse.size(); ++i) {
        const OPoint& p = file.Puls()[static_cast<int64_t>(i)];
        const std::string time = StrFormat("%f", p.x * 0.001024);
        EXPECT_EQ(pulse[i], p.y > 0 ? time + "\t" + StrFormat("%f", p.y) : time);
        timeOnly += p.y <= 0;
    }
    EXPECT_GT(timeOnly, 0);

    const auto thermo = ReadLines(Export(" - температура.txt"));
    ASSERT_EQ(static_cast<int64_t>(thermo.size()), file.Thermo().Count());
    EXPECT_EQ(thermo[1], StrFormat("%f\t%f", file.Thermo()[1].x, file.Thermo()[1].y));

    const auto ccp = ReadLines(Export(" - CCP.txt"));
    ASSERT_EQ(static_cast<int64_t>(ccp.size()), kSectors - 4);
    EXPECT_EQ(ccp[3], StrFormat("%f\t%f\t%f", 3 * 0.239616, file.FMs()[3].rough, file.FMs()[3].fine));

    const auto acc = ReadLines(Export(" - ускор.txt"));
    ASSERT_EQ(static_cast<int64_t>(acc.size()), kSectors);
    double x, y, z;
    SectorAccelerations(file.Sector(0), x, y, z);
    EXPECT_EQ(acc[0], StrFormat("0.000000\t%f\t%f\t%f", x, y, z));
    SectorAccelerations(file.Sector(kSectors - 1), x, y, z);
    EXPECT_EQ(acc.back(), StrFormat("%f\t%f\t%f\t%f", (kSectors - 1) * 0.239616, x, y, z));
}

TEST_F(ProcessExport, SecondExportOverwritesAndUnprocessedFilesAreEmpty)
{
    ASSERT_TRUE(ExportDerivedSeries(file)); // no pass yet
    EXPECT_TRUE(ReadLines(Export(" - частота пульса.txt")).empty());
    EXPECT_TRUE(ReadLines(Export(" - CCP.txt")).empty());
    OProcessControl control;
    ProcessFile(file, *filter, control);
    ASSERT_TRUE(ExportDerivedSeries(file));
    EXPECT_EQ(static_cast<int64_t>(ReadLines(Export(" - CCP.txt")).size()), kSectors - 4);
    EXPECT_EQ(static_cast<int64_t>(ReadLines(Export(" - ускор.txt")).size()), kSectors);
}

TEST_F(ProcessExport, FileThatCannotBeCreatedStopsTheExport)
{
    std::filesystem::create_directory(Export(" - температура.txt"));
    EXPECT_FALSE(ExportDerivedSeries(file));
    EXPECT_EQ(dialogs.Messages().back().text, Export(" - температура.txt") + "\n\nНе удалось создать");
    EXPECT_EQ(dialogs.Messages().back().caption, "ОШИБКА СОЗДАНИЯ ФАЙЛА");
    EXPECT_TRUE(std::filesystem::exists(Export(" - частота пульса.txt")));
    EXPECT_FALSE(std::filesystem::exists(Export(" - CCP.txt")));

    OEcgFile none; // nothing chosen
    EXPECT_FALSE(ExportDerivedSeries(none));
    EXPECT_EQ(dialogs.Messages().back().text, "Выбирите исходный файл");
}

} // namespace
