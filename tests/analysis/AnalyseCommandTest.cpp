// brenna-cli analyse and params as a user runs them.
#include "AnalysisFixtures.h"
#include "CliProgram.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ORun {
    int exitCode;
    std::string out;
};

// Runs brenna-cli with its own settings folder; standard error goes to errFile.
ORun Cli(const TempDir& dir, const std::string& arguments)
{
    const std::string command = "cd '" + dir.Path() + "' && XDG_CONFIG_HOME='" + dir.File("config") + "' '" +
                                CliPath() + "' " + arguments + " 2>'" + dir.File("stderr.txt") + "'";
    ORun run{-1, {}};
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(AnalyseCommand, TenMinuteRecordingPeaksMatchTheTruth)
{
    TempDir dir;
    ORecordingOptions options;
    options.ecg.seed = 21;
    std::vector<int64_t> truth;
    WriteFileBytes(dir.File("ЭКГ_2026_01_02, 03_04_05, 0x00010000.экг"), MakeRecording(options, 2504, &truth));

    const ORun run = Cli(dir, "analyse 'ЭКГ_2026_01_02, 03_04_05, 0x00010000.экг' --peaks peaks.txt --export");
    ASSERT_EQ(run.exitCode, 0) << ReadText(dir.File("stderr.txt"));
    EXPECT_NE(run.out.find("sectors: 2504\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("start time: 03:04:05\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("mean pulse rate: 7"), std::string::npos) << run.out;

    std::vector<int64_t> peaks;
    std::istringstream lines(ReadText(dir.File("peaks.txt")));
    for (long long pos, flags; lines >> pos >> flags;)
        peaks.push_back(pos);
    const OScore score = ScorePeaks(truth, peaks, 146);
    EXPECT_GE(score.Sensitivity(), 0.995);
    EXPECT_GE(score.Predictivity(), 0.995);
    EXPECT_NE(run.out.find("impulses: " + std::to_string(peaks.size()) + "\n"), std::string::npos);
    EXPECT_FALSE(ReadText(dir.File("ЭКГ_2026_01_02, 03_04_05, 0x00010000 - ускор.txt")).empty());
}

TEST(AnalyseCommand, DetectorIsChosenForOneRunOrStored)
{
    TempDir dir;
    ORecordingOptions options;
    options.ecg.seed = 5;
    options.ecg.bpm = 150;
    std::vector<int64_t> truth;
    WriteFileBytes(dir.File("r.экг"), MakeRecording(options, 501, &truth));

    const ORun precise = Cli(dir, "analyse r.экг --detector precise --peaks peaks.txt");
    ASSERT_EQ(precise.exitCode, 0) << ReadText(dir.File("stderr.txt"));
    EXPECT_NE(precise.out.find("detector: precise (точный)\n"), std::string::npos) << precise.out;
    std::vector<int64_t> peaks;
    std::istringstream lines(ReadText(dir.File("peaks.txt")));
    for (long long pos, flags; lines >> pos >> flags;)
        peaks.push_back(pos);
    const OScore score = ScorePeaks(truth, peaks, 146);
    EXPECT_EQ(score.falseNegatives + score.falsePositives, 0);

    // The option did not change the stored choice; params does.
    EXPECT_NE(Cli(dir, "analyse r.экг").out.find("detector: standard (стандартный)\n"), std::string::npos);
    EXPECT_NE(Cli(dir, "params --set Detector=1").out.find("Detector = 1 (точный)\n"), std::string::npos);
    EXPECT_NE(Cli(dir, "analyse r.экг").out.find("detector: precise (точный)\n"), std::string::npos);
    EXPECT_NE(Cli(dir, "analyse r.экг --detector standard").out.find("detector: standard"), std::string::npos);

    EXPECT_EQ(Cli(dir, "analyse r.экг --detector fast").exitCode, 1);
    EXPECT_NE(ReadText(dir.File("stderr.txt")).find("standard or precise"), std::string::npos);
}

// The beat list has the impulses of --peaks with a class each; the event
// list one known KIND and four numbers per line; both are reported when they
// cannot be written.
TEST(AnalyseCommand, BeatAndEventListsAreWrittenOrTheFailureSaid)
{
    TempDir dir;
    ORecordingOptions options;
    options.ecg.seed = 8;
    WriteFileBytes(dir.File("r.экг"), MakeRecording(options, 501));

    const ORun run =
        Cli(dir, "analyse r.экг --detector precise --peaks peaks.txt --beats beats.tsv --events events.tsv");
    ASSERT_EQ(run.exitCode, 0) << ReadText(dir.File("stderr.txt"));
    std::istringstream peakLines(ReadText(dir.File("peaks.txt")));
    std::istringstream beatLines(ReadText(dir.File("beats.tsv")));
    int64_t beats = 0;
    std::map<char, int64_t> perClass;
    for (std::string peak, beat; std::getline(peakLines, peak);) {
        ASSERT_TRUE(std::getline(beatLines, beat));
        // position<TAB>flags as in --peaks, then one class letter.
        ASSERT_EQ(beat.size(), peak.size() + 2) << beat;
        EXPECT_EQ(beat.substr(0, peak.size() + 1), peak + "\t");
        EXPECT_NE(std::string("NSVFQ-").find(beat.back()), std::string::npos) << beat;
        ++perClass[beat.back()];
        ++beats;
    }
    EXPECT_GT(beats, 100); // two minutes
    std::string extra;
    EXPECT_FALSE(std::getline(beatLines, extra)) << "more beats than peaks: " << extra;
    std::string summary = "beat classes:";
    for (char c : std::string("NSVFQ"))
        summary += std::string(" ") + c + " " + std::to_string(perClass[c]);
    summary += ", unclassified " + std::to_string(perClass['-']) + "\n";
    EXPECT_NE(run.out.find(summary), std::string::npos) << run.out;

    std::istringstream eventLines(ReadText(dir.File("events.tsv")));
    const std::set<std::string> kinds = {"AF",  "VT",    "COUPLET", "BIGEMINY", "TRIGEMINY",
                                         "SVT", "PAUSE", "BRADY",   "TACHY"};
    for (std::string line; std::getline(eventLines, line);) {
        std::istringstream fields(line);
        std::string kind;
        double start = -1, end = -1, bpm = -1;
        int64_t count = -1;
        ASSERT_TRUE(std::getline(fields, kind, '\t') && fields >> start >> end >> count >> bpm) << line;
        EXPECT_EQ(kinds.count(kind), 1u) << line;
        EXPECT_LE(0, start);
        EXPECT_LE(start, end);
        EXPECT_LE(end, 501 * 0.239616);
    }

    const struct {
        const char* option;
        const char* message;
    } failures[] = {
        {"--beats missing/beats.tsv", "analyse: cannot write the beat list missing/beats.tsv: "},
        {"--events missing/events.tsv", "analyse: cannot write the event list missing/events.tsv: "},
    };
    for (const auto& f : failures) {
        EXPECT_EQ(Cli(dir, std::string("analyse r.экг ") + f.option).exitCode, 1) << f.option;
        EXPECT_NE(ReadText(dir.File("stderr.txt")).find(f.message), std::string::npos)
            << ReadText(dir.File("stderr.txt"));
    }
}

TEST(AnalyseCommand, UnusableFileExitsWithTheMessage)
{
    TempDir dir;
    WriteFileBytes(dir.File("short.экг"), std::vector<uint8_t>(511));
    EXPECT_EQ(Cli(dir, "analyse short.экг").exitCode, 1);
    EXPECT_NE(ReadText(dir.File("stderr.txt")).find("Файл слишком мал, чтобы быть корректным ЭГК-файлом"),
              std::string::npos);
}

// Analysed as ever, but the summary and the console say what is wrong.
TEST(AnalyseCommand, FileThatIsNoRecordingIsCheckedAloud)
{
    TempDir dir;
    std::vector<uint8_t> bytes = MakeRecording(ORecordingOptions{}, 100);
    WriteFileBytes(dir.File("sound.экг"), bytes);
    std::fill(bytes.begin() + 512 * 10, bytes.begin() + 512 * 30, uint8_t(0x5A));
    WriteFileBytes(dir.File("damaged.экг"), bytes);

    const ORun sound = Cli(dir, "analyse sound.экг");
    ASSERT_EQ(sound.exitCode, 0);
    EXPECT_EQ(sound.out.find("check"), std::string::npos) << sound.out;
    EXPECT_EQ(ReadText(dir.File("stderr.txt")).find("сигнатуры"), std::string::npos);

    const ORun damaged = Cli(dir, "analyse damaged.экг");
    ASSERT_EQ(damaged.exitCode, 0);
    EXPECT_NE(damaged.out.find("sectors: 100\n"), std::string::npos) << damaged.out;
    EXPECT_NE(damaged.out.find("\ncheck: 20 of 100 sectors without the recording signature, first: sector 10\n"),
              std::string::npos)
        << damaged.out;
    EXPECT_NE(ReadText(dir.File("stderr.txt")).find("Секторов без сигнатуры записи: 20 из 100, первый - сектор 10\n"),
              std::string::npos);
}

TEST(ParamsCommand, StoredValuesAreShownClamped)
{
    TempDir dir;
    const ORun set = Cli(dir, "params --set m_NI=0 --set FPulseMax=700");
    ASSERT_EQ(set.exitCode, 0);
    EXPECT_NE(set.out.find("m_NI = 1\n"), std::string::npos) << set.out;
    EXPECT_NE(set.out.find("m_FPulseMax = 600\n"), std::string::npos) << set.out;
    EXPECT_NE(Cli(dir, "params").out.find("m_NI = 1\n"), std::string::npos);
    EXPECT_NE(Cli(dir, "params --defaults").out.find("m_NI = 30\n"), std::string::npos);
    EXPECT_EQ(Cli(dir, "params --set m_XY=3").exitCode, 2);
}

TEST(ParamsCommand, DetectorAndCalibrationAreSetAndShown)
{
    TempDir dir;
    const ORun fresh = Cli(dir, "params");
    EXPECT_NE(fresh.out.find("Detector = 0 (стандартный)\n"), std::string::npos) << fresh.out;
    EXPECT_NE(fresh.out.find("EcgUnitsPerMillivolt = 0\n"), std::string::npos) << fresh.out;
    const ORun set = Cli(dir, "params --set Detector=1 --set EcgUnitsPerMillivolt=1000.5");
    ASSERT_EQ(set.exitCode, 0);
    EXPECT_NE(set.out.find("Detector = 1 (точный)\n"), std::string::npos) << set.out;
    EXPECT_NE(set.out.find("EcgUnitsPerMillivolt = 1000.5\n"), std::string::npos) << set.out;
    // Out of range reads as the standard detector; the defaults keep the
    // calibration, which describes the device.
    EXPECT_NE(Cli(dir, "params --set Detector=7").out.find("Detector = 0 ("), std::string::npos);
    EXPECT_NE(Cli(dir, "params --defaults").out.find("EcgUnitsPerMillivolt = 1000.5\n"), std::string::npos);
    EXPECT_NE(Cli(dir, "params --set EcgUnitsPerMillivolt=-3").out.find("EcgUnitsPerMillivolt = 0\n"),
              std::string::npos);
    EXPECT_EQ(Cli(dir, "params --set Detector=x").exitCode, 2);
    EXPECT_EQ(Cli(dir, "params --set EcgUnitsPerMillivolt=").exitCode, 2);
}

} // namespace
