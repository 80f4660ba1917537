// Grid lines, their ranks and the label texts of every format.
#include "TGrDia.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Line {
    int rank;
    double value;
    std::string text;
};

// The visible grid lines of an axis over [lo, hi] in format f.
std::vector<Line> Grid(int f, double lo, double hi, double minStep)
{
    TGrDia a;
    a.SetFormat(f);
    a.viewLo = lo;
    a.viewHi = hi;
    a.Setka_Create(minStep);
    std::vector<Line> lines;
    for (int i = 0; i < a.GetSetkaCount() && i < 200; ++i) {
        Line l;
        l.rank = a.GetSetkaText(i, &l.value, &l.text);
        if (l.value >= lo - 1e-9 && l.value <= hi + 1e-9)
            lines.push_back(l);
    }
    return lines;
}

// Label of one value as a grid line of step `step` would show it.
std::string Label(int f, double value, double minStep)
{
    for (const Line& l : Grid(f, value - 1e-9, value + 1e-9, minStep))
        return l.text;
    return "?";
}

TEST(GrSetka, DecimalGridHalvesTheUnitStep)
{
    const std::vector<Line> lines = Grid(0, 0, 3.7, 0.37);
    ASSERT_EQ(lines.size(), 8u);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_NEAR(lines[i].value, 0.5 * i, 1e-12);
        EXPECT_EQ(lines[i].rank, i == 0 ? 1 : (i % 2 ? -1 : 0)) << i;
    }
    // A minor line has one decimal more than a main line.
    EXPECT_EQ(lines[4].text, "2");
    EXPECT_EQ(lines[5].text, "2.5");
}

TEST(GrSetka, TimeGridsOfMinutesAndTenMinutes)
{
    const std::vector<Line> minutes = Grid(4, 0, 3600, 45);
    ASSERT_EQ(minutes.size(), 61u);
    for (const Line& l : minutes)
        EXPECT_EQ(l.rank, static_cast<long>(l.value) % 600 == 0 ? 1 : 0) << l.value;

    const std::vector<Line> tens = Grid(4, 0, 7200, 400);
    ASSERT_EQ(tens.size(), 13u);
    EXPECT_EQ(tens[1].text, "10 мин");
    EXPECT_EQ(tens[1].rank, 0);
    EXPECT_EQ(tens[6].text, "1 ч");
    EXPECT_EQ(tens[6].rank, 1);
    EXPECT_EQ(tens[12].text, "2 ч");
    EXPECT_EQ(tens[7].text, "1 ч 10 мин");
}

TEST(GrSetka, LabelTexts)
{
    struct Case {
        int format;
        double value, minStep;
        const char* text;
    } cases[] = {
        {0, 1e10, 1e9, "1.000000000e+10"},
        {0, -1e10, 1e9, "-1.000000000e+10"},
        {1, 9999999999, 1, "9 999 999 999"},
        {1, -1234, 1, "-1 234"},
        {1, 123, 1, "123"},
        {1, 1234567.5, 0.5, "1 234 567.5"},
        {0, 0.25, 0.05, "0.25"},
        {4, 3600, 1, "1 ч"},
        {4, 5400, 1, "1 ч 30 мин"},
        {4, 600, 1, "10 мин"},
        {4, 3725, 1, "1:02:05"},
        {4, 65, 1, "1:05"},
        {4, 7, 1, "7"},
        {4, 90000, 1, "1 ч"},
        {4, 65.25, 0.05, "1:05.25"},
        {4, -65, 1, "-1:05"},
        {5, 3725, 1, "1:02:05"},
        {3, 7322 / 206264.80624709636, 1 / 206264.80624709636, "2° 2' 2\""},
        {2, 0.5 / 57.29577951308232, 0.1 / 57.29577951308232, "0.5"},
        {6, 3725, 1, "3725"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Label(c.format, c.value, c.minStep), c.text) << c.format << " " << c.value;
}

TEST(GrSetka, FormatTable)
{
    TGrDia a;
    std::string name;
    EXPECT_EQ(a.GetFormatCount(), 8);
    // The "c" of this name is Latin.
    EXPECT_NE(a.GetFormatName(1, &name), 0);
    EXPECT_EQ(name, "число c пробелами");
    a.EnableAllFormats();
    EXPECT_EQ(a.GetFormatName(5, &name), 0);
    EXPECT_EQ(name, "дни:час:мин:сек");
    EXPECT_EQ(a.GetFormatName(8, &name), 0);
    EXPECT_EQ(name, "не знаю, ошибка");
    a.EnableFormat(2, 0);
    a.EnableFormat(16, 0);
    EXPECT_EQ(a.GetFormatName(2, &name), 0);
    a.SetFormat(9);
    EXPECT_EQ(a.GetFormat(), 0);
    a.SetFormat(5);
    a.Reset();
    EXPECT_EQ(a.GetFormat(), 0);
    EXPECT_NE(a.GetFormatName(2, &name), 0);
}

TEST(GrSetka, NoGridForAnEmptyWindowOrADegenerateStep)
{
    for (double m : {0.0, -1.0, 1e308 * 10})
        EXPECT_TRUE(Grid(0, 0, 10, m).empty()) << m;
    TGrDia empty;
    empty.Setka_Create(1);
    EXPECT_EQ(empty.GetSetkaCount(), 0);
}

} // namespace
