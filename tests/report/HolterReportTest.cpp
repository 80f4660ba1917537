// The whole report from beats and sectors: heart rate per minute, episodes,
// pauses, activity, temperature, the hourly table, strips, what a short or
// empty recording cannot give, and the JSON stating the module's figures.
#include "HolterReport.h"
#include "ReportFigures.h"
#include "ReportFiles.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <set>

namespace {

constexpr double kSectorS = 0.239616;

// Thirty minutes: 60 bpm, three minutes at 40 bpm from minute 20, one
// minute at 120 bpm (minute 23), back to 60 bpm with one 2.6 s pause in
// minute 27. Still for ten minutes, then moving (X jumps by 20 each sector);
// 36 °C in the first quarter hour, 37 °C after.
OReportInput Recording()
{
    OReportInput in;
    in.filePath = "/data/ЭКГ_2010_05_12, 14_30_05, 0x00010000.экг";
    in.start = RecordingStartFromName("ЭКГ_2010_05_12, 14_30_05, 0x00010000");
    in.durationS = 1800;
    double t = 500;
    in.beats.push_back({t, 0});
    const auto until = [&](double endS, double rrMs) {
        while (t + rrMs < endS * 1000) {
            t += rrMs;
            in.beats.push_back({t, 0});
        }
    };
    until(1200, 1000);
    until(1380, 1500);
    until(1440, 500);
    until(1620, 1000);
    t += 2600;
    in.beats.push_back({t, 0});
    until(1800, 1000);
    for (int64_t k = 0; k * kSectorS < in.durationS; ++k) {
        OSectorAux s;
        s.temperature = k * kSectorS < 900 ? 36 : 37;
        s.hasAccelerations = true;
        s.x = k * kSectorS < 600 ? 5 : (k % 2 ? 15 : -5);
        in.sectors.push_back(s);
    }
    in.samples = [](int64_t, int64_t count) { return std::vector<double>(size_t(count), 512.0); };
    return in;
}

TEST(HolterReport, MinutesEpisodesPausesAndChannels)
{
    OReportControl control;
    const OReportInput input = Recording();
    const auto r = BuildHolterReport(input, control);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->beatCount, int64_t(input.beats.size()));
    ASSERT_EQ(r->hrPerMinute.size(), 30u);
    EXPECT_NEAR(*r->hrPerMinute[5], 60, 1e-9);
    EXPECT_NEAR(*r->hrPerMinute[21], 40, 1e-9);
    EXPECT_NEAR(*r->hrMin, 40, 0.5);
    EXPECT_NEAR(*r->hrMax, 120, 0.5);
    EXPECT_EQ(r->hrMaxMinute, 23);

    // Three slow minutes make an episode, one fast minute does not.
    ASSERT_EQ(r->episodes.size(), 1u);
    EXPECT_FALSE(r->episodes[0].tachycardia);
    EXPECT_EQ(r->episodes[0].firstMinute, 20);
    EXPECT_EQ(r->episodes[0].minutes, 3);

    ASSERT_EQ(r->pauses.size(), 1u);
    EXPECT_DOUBLE_EQ(r->pauses[0].rrMs, 2600);
    EXPECT_EQ(static_cast<int>(r->pauses[0].timeS / 60), 27);

    EXPECT_NEAR(*r->activityPerMinute[5], 0, 1e-9);
    EXPECT_NEAR(*r->activityPerMinute[15], 20, 1e-9);
    EXPECT_NEAR(*r->temperaturePerMinute[3], 36, 1e-9);
    EXPECT_NEAR(*r->temperaturePerMinute[20], 37, 1e-9);

    ASSERT_EQ(r->hours.size(), 1u);
    EXPECT_EQ(r->hours[0].beats, r->beatCount);
    EXPECT_NEAR(*r->hours[0].hrMax, 120, 0.5);
    EXPECT_NEAR(*r->hours[0].excludedPct, 100.0 * r->time.excludedCount / r->rr.size(), 1e-9);

    // The pause, the fastest and the slowest minute, each with 10 s of ECG
    // (baseline removed) and the beats on it.
    ASSERT_EQ(r->strips.size(), 3u);
    EXPECT_EQ(r->strips[0].kind, "pause");
    EXPECT_LE(r->strips[0].startS, r->pauses[0].timeS - 2.6);
    EXPECT_GE(r->strips[0].startS + kStripS, r->pauses[0].timeS);
    EXPECT_EQ(r->strips[0].ecg.size(), size_t(kStripS * 976.5625));
    EXPECT_FLOAT_EQ(r->strips[0].ecg[100], 0.0f);
    EXPECT_EQ(r->strips[1].kind, "fastest_minute");
    EXPECT_EQ(r->strips[1].beats.size(), 20u); // 120 bpm
    EXPECT_EQ(ClockText(*r, r->strips[1].eventTimeS), "14:53:05");
}

TEST(HolterReport, CancelGivesNoReport)
{
    OReportControl control;
    control.cancel = 1;
    EXPECT_FALSE(BuildHolterReport(Recording(), control));
}

// Every figure a recording cannot give is missing with its reason.
TEST(HolterReport, ShortAndEmptyRecordingsSayWhatTheyCannotCompute)
{
    OReportInput shortOne = Recording();
    // Three minutes hold one segment with 150 s of NN: an SDNN index, but
    // neither SDANN nor a spectrum.
    shortOne.durationS = 180;
    std::erase_if(shortOne.beats, [](const OBeat& b) { return b.timeMs >= 180000; });
    OReportInput empty = Recording();
    empty.beats.clear();
    struct {
        OReportInput input;
        std::set<std::string> missing;
        std::string reason;
    } cases[] = {
        {shortOne, {"sdann_ms", "vlf_ms2", "lf_ms2", "hf_ms2", "lf_hf"}, "короче 5 минут"},
        {empty,
         {"hr_min_bpm", "hr_mean_bpm", "hr_max_bpm", "mean_nn_ms", "sdnn_ms", "sdann_ms", "sdnn_index_ms", "rmssd_ms",
          "pnn50_pct", "hrv_triangular_index", "vlf_ms2", "lf_ms2", "hf_ms2", "lf_hf", "sd1_ms", "sd2_ms"},
         "не найдено ни одного комплекса"},
    };
    for (auto& c : cases) {
        OReportControl control;
        const auto r = BuildHolterReport(c.input, control);
        ASSERT_TRUE(r);
        for (const OSummaryFigure& f : SummaryFigures(*r)) {
            EXPECT_EQ(!f.value, c.missing.count(f.key) == 1) << f.key;
            if (!f.value) {
                EXPECT_NE(f.missing.find(c.reason), std::string::npos) << f.key << ": " << f.missing;
            }
        }
    }
}

TEST(HolterReport, JsonStatesTheModulesFigures)
{
    OReportControl control;
    const auto r = BuildHolterReport(Recording(), control);
    ASSERT_TRUE(r);
    const QJsonObject json = ReportJson(*r);
    for (const OSummaryFigure& f : SummaryFigures(*r)) {
        ASSERT_TRUE(json.contains(f.key)) << f.key;
        if (f.value)
            EXPECT_DOUBLE_EQ(json[f.key].toDouble(), *f.value) << f.key;
        else
            EXPECT_TRUE(json[f.key].isNull()) << f.key;
    }
    EXPECT_EQ(json["sdnn_ms"].toDouble(), *r->time.sdnn);
    EXPECT_EQ(json["detector"].toString(), "standard");
    EXPECT_EQ(json["beats"].toInteger(), r->beatCount);
    EXPECT_EQ(json["nn_count"].toInteger(), r->time.nnCount);
    EXPECT_EQ(json["excluded_count"].toInteger(), r->time.excludedCount);
    EXPECT_EQ(json["start"].toString(), "2010.05.12, 14:30:05");
    const QJsonArray pauses = json["pauses"].toArray();
    ASSERT_EQ(pauses.size(), 1);
    EXPECT_DOUBLE_EQ(pauses[0]["rr_ms"].toDouble(), 2600);
    EXPECT_DOUBLE_EQ(pauses[0]["time_s"].toDouble(), r->pauses[0].timeS);
    const QJsonArray hours = json["hours"].toArray();
    ASSERT_EQ(hours.size(), 1);
    EXPECT_EQ(hours[0]["beats"].toInteger(), r->hours[0].beats);
    EXPECT_DOUBLE_EQ(hours[0]["sdnn_ms"].toDouble(), *r->hours[0].sdnn);
    EXPECT_EQ(json["episodes"].toArray().size(), 1);
    EXPECT_EQ(json["events"].toArray().size(), 3);
}

} // namespace
