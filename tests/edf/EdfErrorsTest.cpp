// The EDF+ export's failures: every one gives a message and leaves no file
// that looks whole; and the smallest recording still exports.
#include "AnalysisFixtures.h"
#include "EcgTime.h"
#include "EdfExport.h"
#include "EdfTestRecording.h"
#include "TempDir.h"

#include <edflib.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

class EdfErrors : public testing::Test {
protected:
    void SetUp() override { UseFreshSettings(); }
    // Nothing but the recording itself is left in the folder.
    void ExpectOnlyRecording()
    {
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            EXPECT_EQ(entry.path().extension(), ".экг") << entry.path();
    }
    TempDir dir;
    OProcessControl control;
};

TEST_F(EdfErrors, UnwritablePlaceSaysSoAndLeavesNothing)
{
    OProcessedRecording r = MakeProcessedRecording(dir.Path(), kDatedName, 10);
    const std::string targets[] = {dir.File("missing/rec.edf"), r.path + "/rec.edf"}; // no folder; a file as folder
    for (const std::string& out : targets) {
        const OEdfExportResult result = ExportEdf(*r.file, out, {}, control);
        EXPECT_EQ(result.status, OEdfExportResult::Failed) << out;
        EXPECT_NE(result.message.find("Не удалось создать файл EDF+"), std::string::npos) << result.message;
        EXPECT_NE(result.message.find(out), std::string::npos) << result.message;
    }
    ExpectOnlyRecording();
}

TEST_F(EdfErrors, CancelledExportLeavesNoFile)
{
    OProcessedRecording r = MakeProcessedRecording(dir.Path(), kDatedName, 50);
    const std::string out = dir.File("rec.edf");
    fs::copy_file(r.path, out); // an earlier file of that name is replaced only by a whole one
    control.cancel = 1;
    const OEdfExportResult result = ExportEdf(*r.file, out, {}, control);
    EXPECT_EQ(result.status, OEdfExportResult::Cancelled);
    EXPECT_NE(result.message.find("отменён"), std::string::npos) << result.message;
    EXPECT_FALSE(fs::exists(EdfPartialPath(out)));
    EXPECT_EQ(fs::file_size(out), fs::file_size(r.path)); // untouched
}

// A file size limit makes the system refuse writes as a full disk does.
TEST_F(EdfErrors, FullDiskIsNamedAndLeavesNoFile)
{
    OProcessedRecording r = MakeProcessedRecording(dir.Path(), kDatedName, 400);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const OEdfExportResult result = ExportEdf(*r.file, dir.File("rec.edf"), {}, control);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(result.status, OEdfExportResult::Failed);
    EXPECT_NE(result.message.find("не хватает места"), std::string::npos) << result.message;
    ExpectOnlyRecording();
}

TEST_F(EdfErrors, OneSectorRecordingIsOnePaddedRecord)
{
    OProcessedRecording r = MakeProcessedRecording(dir.Path(), kDatedName, 1);
    ASSERT_EQ(r.file->SectorCount(), 1);
    const std::string out = dir.File("rec.edf");
    const OEdfExportResult result = ExportEdf(*r.file, out, {}, control);
    ASSERT_TRUE(result.Ok()) << result.message;
    auto hdr = std::make_unique<edf_hdr_struct>();
    ASSERT_EQ(edfopen_file_readonly(out.c_str(), hdr.get(), EDFLIB_READ_ALL_ANNOTATIONS), 0);
    EXPECT_EQ(hdr->datarecords_in_file, 1);
    EXPECT_EQ(hdr->signalparam[0].smp_in_file, 1170);
    EXPECT_EQ(hdr->signalparam[1].smp_in_file, 5);
    ASSERT_GE(hdr->annotations_in_file, 1);
    edf_annotation_struct last{};
    edf_get_annotation(hdr->handle, int(hdr->annotations_in_file - 1), &last);
    EXPECT_STREQ(last.annotation, "Recording ends");
    EXPECT_NEAR(last.onset * 1e-7, kSectorDuration, 1e-4);
    std::vector<int> ecg(1170);
    ASSERT_EQ(edfread_digital_samples(hdr->handle, 0, 1170, ecg.data()), 1170);
    for (int i = kSamplesPerSector; i < 1170; ++i)
        ASSERT_EQ(ecg[size_t(i)], ecg[kSamplesPerSector - 1]) << "padding repeats the last sample";
    edfclose_file(hdr->handle);
}

} // namespace
