// What a recording's outputs learn beside its samples: the detector choice,
// the ECG calibration and the start date from the file name.
#include "AnalysisFixtures.h"
#include "DetectorKind.h"
#include "EcgCalibration.h"
#include "OEKGFilterParams.h"
#include "OSettings.h"
#include "RecordingStart.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

namespace {

class RecordingInfo : public testing::Test {
protected:
    void SetUp() override { UseFreshSettings(); }
    TestDialogs dialogs;
};

TEST_F(RecordingInfo, DetectorChoiceRoundTripsAndAnythingElseReadsAsStandard)
{
    OEKGFilterParams p;
    p.LoadParametrs();
    EXPECT_EQ(p.m_Detector, kDetectorStandard);
    p.m_Detector = kDetectorPrecise;
    p.SaveParametrs();
    OEKGFilterParams q;
    q.LoadParametrs();
    EXPECT_EQ(q.m_Detector, kDetectorPrecise);
    for (int stored : {2, -1, 1000}) {
        OSettings::WriteInt(OEKGFilterParams::kSection, OEKGFilterParams::kDetectorKey, stored);
        q.LoadParametrs();
        EXPECT_EQ(q.m_Detector, kDetectorStandard) << stored;
    }
    int32_t d = -1;
    EXPECT_TRUE(ParseDetectorOption("precise", d));
    EXPECT_EQ(d, kDetectorPrecise);
    EXPECT_TRUE(ParseDetectorOption("standard", d));
    EXPECT_EQ(d, kDetectorStandard);
    EXPECT_FALSE(ParseDetectorOption("Precise", d));
}

TEST_F(RecordingInfo, CalibrationIsZeroUnlessAPositiveNumberIsStored)
{
    EXPECT_EQ(EcgCalibration::LoadUnitsPerMillivolt(), 0);
    EcgCalibration::SaveUnitsPerMillivolt(1000.5);
    EXPECT_EQ(EcgCalibration::LoadUnitsPerMillivolt(), 1000.5);
    for (const char* stored : {"-3", "abc", "12x", "", "inf", "nan"}) {
        OSettings::WriteString(OEKGFilterParams::kSection, EcgCalibration::kKey, stored);
        EXPECT_EQ(EcgCalibration::LoadUnitsPerMillivolt(), 0) << stored;
    }
}

TEST_F(RecordingInfo, StartDateComesFromADownloadedFilesName)
{
    const ORecordingStart s = RecordingStartFromName("ЭКГ_2010_05_12, 14_30_05, 0x00010000");
    ASSERT_TRUE(s.known);
    EXPECT_EQ(s.Text(), "2010.05.12, 14:30:05");
    for (const char* name : {"ЭКГ_0x00010000", "ЭКГ_2010_02_30, 14_30_05, 0x1", "ЭКГ_2010_05_12, 24_00_00, 0x1",
                             "mitdb-100", "ЭКГ_1900_01_01, 00_00_00, 0x1", ""}) {
        EXPECT_FALSE(RecordingStartFromName(name).known) << name;
        EXPECT_EQ(RecordingStartFromName(name).Text(), "");
    }
    EXPECT_TRUE(RecordingStartFromName("ЭКГ_2012_02_29, 23_59_59, 0x1").known);
}

} // namespace
