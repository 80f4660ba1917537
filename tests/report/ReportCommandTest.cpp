// brenna-cli report as a user runs it: the PDF's sections (read back with
// pdftotext), the JSON against the module's own figures for the same file,
// the RR lines, and the recordings that cannot give every figure.
#include "AnalysisFixtures.h"
#include "HolterReport.h"
#include "ProcessFile.h"
#include "ReportSource.h"
#include "CliProgram.h"
#include "TempDir.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int Run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Cli(const TempDir& dir, const std::string& arguments)
{
    return Run("cd '" + dir.Path() + "' && XDG_CONFIG_HOME='" + dir.File("config") + "' '" + CliPath() + "' " +
               arguments + " >'" + dir.File("stdout.txt") + "' 2>'" + dir.File("stderr.txt") + "'");
}

// The PDF's text on one line, as a reader would search it.
std::string PdfText(const TempDir& dir, const std::string& pdf)
{
    if (Run("pdftotext -enc UTF-8 '" + dir.File(pdf) + "' '" + dir.File("text.txt") + "'") != 0)
        return "(pdftotext failed)";
    std::string text = ReadText(dir.File("text.txt"));
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    return text;
}

QJsonObject Json(const std::string& path)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(ReadText(path))).object();
}

std::vector<uint8_t> FlatRecording(int sectors)
{
    std::vector<uint8_t> bytes(size_t(sectors) * 512, 0);
    for (int k = 0; k < sectors; ++k)
        for (int i = 0; i < 234; ++i) {
            bytes[size_t(k) * 512 + 44 + 2 * i] = 0x88; // 5000
            bytes[size_t(k) * 512 + 45 + 2 * i] = 0x13;
        }
    return bytes;
}

const char* const kSections[] = {"1. Сводка",
                                 "2. Вся запись",
                                 "3. Вариабельность ритма",
                                 "4. Почасовая таблица",
                                 "5. События",
                                 "6. Эктопическая активность",
                                 "7. Нарушения ритма",
                                 "Определения"};

TEST(ReportCommand, TenMinutesGiveTheWholeReport)
{
    TempDir dir;
    ORecordingOptions options;
    options.ecg.seed = 17;
    const std::string name = "ЭКГ_2026_01_02, 03_04_05, 0x00010000.экг";
    WriteFileBytes(dir.File(name), MakeRecording(options, 2504));
    ASSERT_EQ(Cli(dir, "report '" + name + "' r.pdf --json r.json --rr r.csv --detector standard"), 0)
        << ReadText(dir.File("stderr.txt"));

    const std::string text = PdfText(dir, "r.pdf");
    for (const char* section : kSections)
        EXPECT_NE(text.find(section), std::string::npos) << section;
    for (const char* metric : {"SDNN", "RMSSD", "pNN50", "HRV triangular index", "LF/HF", "SD1", "03:04:05"})
        EXPECT_NE(text.find(metric), std::string::npos) << metric;

    // The module on the same file, processed the same way.
    auto file = std::make_unique<OEcgFile>();
    auto filter = std::make_unique<OEKGFilter>();
    ASSERT_TRUE(file->OpenEcgFile(dir.File(name), true));
    OProcessControl pass;
    ProcessFile(*file, *filter, pass);
    OReportControl control;
    const auto report = BuildHolterReport(ReportInputFromFile(*file, 0, 0), control);
    ASSERT_TRUE(report);

    const QJsonObject json = Json(dir.File("r.json"));
    EXPECT_EQ(json["detector"].toString(), "standard");
    EXPECT_EQ(json["beats"].toInteger(), report->beatCount);
    EXPECT_EQ(json["nn_count"].toInteger(), report->time.nnCount);
    EXPECT_EQ(json["excluded_count"].toInteger(), report->time.excludedCount);
    const std::pair<const char*, std::optional<double>> figures[] = {
        {"mean_nn_ms", report->time.meanNn}, {"sdnn_ms", report->time.sdnn},    {"sdann_ms", report->time.sdann},
        {"rmssd_ms", report->time.rmssd},    {"pnn50_pct", report->time.pnn50}, {"lf_ms2", report->frequency.lf},
        {"hf_ms2", report->frequency.hf},    {"sd1_ms", report->time.sd1},      {"hr_mean_bpm", report->hrMean}};
    for (const auto& [key, value] : figures) {
        ASSERT_TRUE(value) << key; // ten minutes give every one of these
        EXPECT_DOUBLE_EQ(json[key].toDouble(), *value) << key;
    }
    EXPECT_EQ(json["hours"].toArray().size(), 1);
    // Beats per class, the events and their counts as the module has them.
    const std::pair<const char*, char> classes[] = {
        {"beats_n", 'N'}, {"beats_s", 'S'}, {"beats_v", 'V'}, {"beats_f", 'F'}, {"beats_q", 'Q'}};
    for (const auto& [key, beatClass] : classes) {
        EXPECT_EQ(json[key].toInteger(), report->classes.Of(beatClass)) << key;
        EXPECT_EQ(json["hours"][0][key].toInteger(), report->hours[0].classes.Of(beatClass)) << key;
    }
    EXPECT_EQ(json["beats_unclassified"].toInteger(), report->classes.unclassified);
    EXPECT_EQ(json["events"].toArray().size(), qsizetype(report->rhythm.events.size()));
    EXPECT_DOUBLE_EQ(json["af_burden_pct"].toDouble(), report->rhythm.AfBurdenPct());
    for (const char* key :
         {"ventricular_burden_pct", "supraventricular_burden_pct", "af_episodes", "vt_runs", "couplets"})
        EXPECT_TRUE(json[key].isDouble()) << key;

    // One CSV line per RR interval: time, RR, NN, both beats' flags.
    std::istringstream lines(ReadText(dir.File("r.csv")));
    int64_t count = 0, nn = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        double t, rr;
        int isNn;
        unsigned f1, f2;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf,%d,%u,%u", &t, &rr, &isNn, &f1, &f2), 5) << line;
        nn += isNn;
    }
    EXPECT_EQ(count, report->beatCount - 1);
    EXPECT_EQ(nn, report->time.nnCount);
}

TEST(ReportCommand, RecordingsThatCannotGiveEveryFigureSaySo)
{
    ORecordingOptions options;
    options.ecg.seed = 5;
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* says;
        bool beats;
    } cases[] = {
        {"three minutes", MakeRecording(options, 751), "не вычисляется: запись короче 5 минут", true},
        {"no beat", FlatRecording(1000), "не вычисляется: не найдено ни одного комплекса", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteFileBytes(dir.File("rec.экг"), c.bytes);
        ASSERT_EQ(Cli(dir, "report rec.экг r.pdf --json r.json"), 0) << ReadText(dir.File("stderr.txt"));
        const std::string text = PdfText(dir, "r.pdf");
        EXPECT_NE(text.find(c.says), std::string::npos) << text.substr(0, 3000);
        for (const char* section : kSections)
            EXPECT_NE(text.find(section), std::string::npos) << section;
        const QJsonObject json = Json(dir.File("r.json"));
        EXPECT_TRUE(json["sdann_ms"].isNull());
        EXPECT_TRUE(json["lf_ms2"].isNull());
        EXPECT_EQ(json["sdnn_ms"].isNull(), !c.beats);
        EXPECT_EQ(json["beats"].toInteger() > 0, c.beats);
        EXPECT_TRUE(json["unavailable"].toObject().contains("sdann_ms"));
    }
}

TEST(ReportCommand, RefusesAnUnknownDetectorAndAMissingFile)
{
    TempDir dir;
    WriteFileBytes(dir.File("rec.экг"), FlatRecording(10));
    EXPECT_NE(Cli(dir, "report rec.экг r.pdf --detector fastest"), 0);
    EXPECT_NE(ReadText(dir.File("stderr.txt")).find("standard or precise"), std::string::npos);
    EXPECT_NE(Cli(dir, "report missing.экг r.pdf"), 0);
    EXPECT_NE(Cli(dir, "report rec.экг"), 0);
    EXPECT_NE(Cli(dir, "report rec.экг /no/such/folder/r.pdf"), 0);
    EXPECT_NE(ReadText(dir.File("stderr.txt")).find("r.pdf"), std::string::npos);
}

} // namespace
