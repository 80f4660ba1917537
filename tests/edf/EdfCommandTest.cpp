// brenna-cli export-edf as a user runs it.
#include "AnalysisFixtures.h"
#include "CliProgram.h"
#include "TempDir.h"

#include <edflib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ORun {
    int exitCode = -1;
    std::string out, err;
};

// All runs of a test share one settings folder, as one user's would.
ORun Cli(const TempDir& dir, const std::string& arguments)
{
    const std::string command = "cd '" + dir.Path() + "' && XDG_CONFIG_HOME='" + dir.File("config") + "' '" +
                                CliPath() + "' " + arguments + " 2>'" + dir.File("stderr.txt") + "'";
    ORun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadText(dir.File("stderr.txt"));
    return run;
}

struct OEdfSummary {
    int signals = -1;
    long long annotations = -1;
    std::string patient;
};
OEdfSummary Summary(const std::string& path)
{
    OEdfSummary s;
    auto hdr = std::make_unique<edf_hdr_struct>();
    if (edfopen_file_readonly(path.c_str(), hdr.get(), EDFLIB_READ_ALL_ANNOTATIONS) != 0)
        return s;
    s.signals = hdr->edfsignals;
    s.annotations = hdr->annotations_in_file;
    s.patient = hdr->patient_name;
    edfclose_file(hdr->handle);
    return s;
}

TEST(EdfCommand, OptionsShapeTheFileAndMistakesAreRefused)
{
    TempDir dir;
    WriteFileBytes(dir.File("rec.экг"), MakeRecording({}, 300));

    const ORun usage = Cli(dir, "export-edf rec.экг");
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("usage: brenna-cli export-edf"), std::string::npos) << usage.err;
    const ORun badDetector = Cli(dir, "export-edf rec.экг out.edf --detector fast");
    EXPECT_EQ(badDetector.exitCode, 2);
    EXPECT_NE(badDetector.err.find("standard or precise"), std::string::npos) << badDetector.err;
    const ORun unwritable = Cli(dir, "export-edf rec.экг missing/out.edf");
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.err.find("Не удалось создать файл EDF+"), std::string::npos) << unwritable.err;

    const ORun full = Cli(dir, "export-edf rec.экг full.edf --derived --detector precise --patient 'Иванов Иван'");
    ASSERT_EQ(full.exitCode, 0) << full.err;
    EXPECT_NE(full.out.find("Сигналов: 8"), std::string::npos) << full.out;
    EXPECT_NE(full.out.find("detector: precise"), std::string::npos) << full.out;
    EXPECT_NE(full.out.find("Дата начала записи неизвестна"), std::string::npos) << full.out;
    const OEdfSummary fullFile = Summary(dir.File("full.edf"));
    EXPECT_EQ(fullFile.signals, 8);
    EXPECT_GT(fullFile.annotations, 50);
    EXPECT_EQ(fullFile.patient, "Ivanov Ivan"); // transliterated: the header holds ASCII only

    // The detector option holds for its run only; the stored choice stays.
    const ORun plain = Cli(dir, "export-edf rec.экг plain.edf --no-annotations");
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_NE(plain.out.find("detector: standard"), std::string::npos) << plain.out;
    const OEdfSummary plainFile = Summary(dir.File("plain.edf"));
    EXPECT_EQ(plainFile.signals, 6);
    EXPECT_EQ(plainFile.annotations, 1) << "only where the recording ends";
}

} // namespace
