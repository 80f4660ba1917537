// The parameter dialog offscreen: what it shows, stores and clamps.
#include "AnalysisFixtures.h"
#include "CFilterParamsDlg.h"
#include "EcgCalibration.h"
#include "OSettings.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class FilterParamsDlg : public testing::Test {
protected:
    void SetUp() override { UseFreshSettings(); }
    QLineEdit* Box(int number) { return dialog.findChild<QLineEdit*>(QString("id%1").arg(1100 + number)); }
    void Click(const char* id) { QTest::mouseClick(dialog.findChild<QPushButton*>(id), Qt::LeftButton); }
    static int Stored(const char* name) { return OSettings::GetInt(OEKGFilterParams::kSection, name, -1); }

    TestDialogs dialogs;
    OEKGFilterParams params;
    CFilterParamsDlg dialog{nullptr, params};
};

TEST_F(FilterParamsDlg, ShowsTheStoredValuesInTheirOrder)
{
    EXPECT_EQ(dialog.windowTitle(), "Параметры обработки ЭКГ-сигнала");
    const QStringList expected = {"251", "30", "4000", "40", "220", "4", "10"};
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(Box(i)->text(), expected[i - 1]) << i;
    bool found = false;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        found |= label->text() == "Полудлительность R-зубца в треугольном приближении (мс): ";
    EXPECT_TRUE(found);
    EXPECT_TRUE(dialog.findChild<QPushButton*>("id1")->isDefault());
}

TEST_F(FilterParamsDlg, SaveStoresTheEntriesAndShowsThemClamped)
{
    Box(2)->clear();
    QTest::keyClicks(Box(2), "0");
    Box(5)->clear();
    QTest::keyClicks(Box(5), "7a00"); // digits only
    Box(7)->clear();                  // no number reads as 0
    Click("id1");
    EXPECT_EQ(Stored("m_NI"), 0);
    EXPECT_EQ(Stored("m_FPulseMax"), 700);
    EXPECT_EQ(Stored("m_PulseUsred"), 0);
    EXPECT_EQ(Box(2)->text(), "1");
    EXPECT_EQ(Box(5)->text(), "600");
    EXPECT_EQ(Box(7)->text(), "0");
    EXPECT_EQ(dialogs.Count(), 0u);
}

TEST_F(FilterParamsDlg, DefaultsAreStoredAtOnceAndCloseStoresNothing)
{
    Box(1)->setText("999");
    Click("id1108");
    for (const OParamInfo& p : kParamTable)
        EXPECT_EQ(Stored(p.name), p.defaultValue) << p.name;
    EXPECT_EQ(Box(1)->text(), "251");

    dialog.show();
    Box(1)->setText("777");
    Click("id2");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(Stored("m_NA"), 251);
}

TEST_F(FilterParamsDlg, DetectorChoiceAndCalibrationAreStoredWithTheRest)
{
    auto* detector = dialog.findChild<QComboBox*>("id1109");
    auto* calibration = dialog.findChild<QLineEdit*>("id1110");
    ASSERT_TRUE(detector && calibration);
    ASSERT_EQ(detector->count(), 2);
    EXPECT_EQ(detector->itemText(0), "стандартный");
    EXPECT_EQ(detector->itemText(1), "точный");
    EXPECT_EQ(detector->currentIndex(), 0);
    EXPECT_EQ(calibration->text(), "0");
    int labels = 0;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        labels += label->text() == "Алгоритм распознавания:" || label->text() == "Единиц на мВ (0 - не откалибровано):";
    EXPECT_EQ(labels, 2);

    detector->setCurrentIndex(1);
    calibration->clear();
    QTest::keyClicks(calibration, "1234,5x"); // a decimal comma; letters refused
    Click("id1");
    EXPECT_EQ(Stored(OEKGFilterParams::kDetectorKey), 1);
    EXPECT_DOUBLE_EQ(EcgCalibration::LoadUnitsPerMillivolt(), 1234.5);
    EXPECT_EQ(detector->currentIndex(), 1);
    EXPECT_EQ(calibration->text(), "1234.5");

    // The defaults bring back the standard detector, not an uncalibrated device.
    Click("id1108");
    EXPECT_EQ(Stored(OEKGFilterParams::kDetectorKey), 0);
    EXPECT_EQ(detector->currentIndex(), 0);
    EXPECT_DOUBLE_EQ(EcgCalibration::LoadUnitsPerMillivolt(), 1234.5);
    EXPECT_EQ(dialogs.Count(), 0u);
}

TEST_F(FilterParamsDlg, OpensOnAConvertedRecordAndStillSaves)
{
    params.ConvertToSamples(); // as after a pass of the window's filter
    CFilterParamsDlg again(nullptr, params);
    EXPECT_EQ(again.findChild<QLineEdit*>("id1102")->text(), "30");
    QTest::mouseClick(again.findChild<QPushButton*>("id1"), Qt::LeftButton);
    EXPECT_EQ(dialogs.Count(), 0u);
    EXPECT_EQ(Stored("m_NI"), 30);
}

} // namespace
