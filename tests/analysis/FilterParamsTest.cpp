// The filter parameter record: defaults, settings, limits and conversion.
#include "AnalysisFixtures.h"
#include "OEKGFilterParams.h"
#include "OSettings.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

namespace {

class FilterParams : public testing::Test {
protected:
    void SetUp() override { UseFreshSettings(); }
    TestDialogs dialogs;
};

TEST_F(FilterParams, EmptySettingsGiveTheDefaultsInSamples)
{
    OEKGFilterParams p;
    p.LoadParametrs();
    p.ConvertToSamples();
    EXPECT_EQ(p.m_NI, 29);
    EXPECT_EQ(p.m_NA, 245);
    EXPECT_EQ(p.m_TPOROG, 3906);
    EXPECT_EQ(p.m_MaxIntervalSamples, 1464);
    EXPECT_EQ(p.m_MinIntervalSamples, 266);
    EXPECT_EQ(p.m_PulseUsred, 9765);
    EXPECT_EQ(p.m_FPulseMin, 40);
    EXPECT_EQ(p.m_MaxImpulseErrorPorog, 4);
    p.ConvertToSamples(); // a second conversion changes nothing
    EXPECT_EQ(p.m_NI, 29);
}

TEST_F(FilterParams, StoredValuesAreClampedToTheirLimits)
{
    const struct {
        const char* name;
        int stored;
        int loaded;
    } cases[] = {
        {"m_NI", 0, 1},          {"m_NI", 101, 100},         {"m_NA", -5, 1},         {"m_TPOROG", 999, 1000},
        {"m_FPulseMin", 61, 60}, {"m_FPulseMax", 700, 600},  {"m_FPulseMax", 79, 80}, {"m_MaxImpulseErrorPorog", 0, 1},
        {"m_PulseUsred", -1, 0}, {"m_PulseUsred", 301, 300},
    };
    for (const auto& c : cases) {
        UseFreshSettings();
        StoreParam(c.name, c.stored);
        OEKGFilterParams p;
        p.LoadParametrs();
        for (const OParamInfo& info : kParamTable)
            if (std::string(info.name) == c.name) {
                EXPECT_EQ(p.*info.field, c.loaded) << c.name << " " << c.stored;
            }
    }
}

TEST_F(FilterParams, UnreadableValueFallsBackToTheDefault)
{
    OSettings::WriteString(OEKGFilterParams::kSection, "m_NA", "много");
    OEKGFilterParams p;
    p.LoadParametrs();
    EXPECT_EQ(p.m_NA, 251);
}

TEST_F(FilterParams, ConvertedRecordIsNotSaved)
{
    OEKGFilterParams p;
    p.LoadParametrs();
    p.m_NI = 50;
    p.ConvertToSamples();
    p.SaveParametrs();
    ASSERT_EQ(dialogs.Count(), 1u);
    EXPECT_NE(dialogs.Messages()[0].text.find("параметры уже пееведены в выборки"), std::string::npos);
    EXPECT_EQ(OSettings::GetInt(OEKGFilterParams::kSection, "m_NI", -1), -1);

    p.SetDefaults(); // clears the converted flag
    p.SaveParametrs();
    for (const OParamInfo& info : kParamTable)
        EXPECT_EQ(OSettings::GetInt(OEKGFilterParams::kSection, info.name, -1), info.defaultValue) << info.name;
}

TEST_F(FilterParams, OneMillisecondHalfWidthStillGivesOneSample)
{
    StoreParam("m_NI", 1);
    OEKGFilterParams p;
    p.LoadParametrs();
    p.ConvertToSamples();
    EXPECT_EQ(p.m_NI, 1);
}

} // namespace
