// The whole report from beats and sectors: heart rate per minute, episodes,
// pauses, activity, temperature, the hourly table, strips, what a short or
// empty recording cannot give, and the JSON stating the module's figures.
#include "HolterReport.h"
#include "ReportFigures.h"
#include "ReportFiles.h"
#include "ReportRhythm.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
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
        in.sectors.Add(s);
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
    // The strips: the events page's three (a pause, the fastest and the
    // slowest minute), then those of the rhythm events; "events" lists the
    // rhythm events.
    const QJsonArray strips = json["strips"].toArray();
    ASSERT_EQ(strips.size(), qsizetype(r->strips.size() + r->rhythmStrips.size()));
    int pageStrips = 0;
    for (const auto& strip : strips) {
        const QString kind = strip.toObject()["kind"].toString();
        pageStrips += kind == "pause" || kind == "fastest_minute" || kind == "slowest_minute";
    }
    EXPECT_EQ(pageStrips, 3);
    EXPECT_EQ(json["events"].toArray().size(), qsizetype(r->rhythm.events.size()));
}

// 90 minutes at 60 bpm, all N but for V, S, F and Q beats at their regular
// times, in both hours.
OReportInput ClassedRecording(const std::map<size_t, char>& classes)
{
    OReportInput in;
    in.filePath = "/data/rec.экг";
    in.durationS = 5400;
    for (double t = 500; t < in.durationS * 1000; t += 1000)
        in.beats.push_back({t, 0, kBeatNormal});
    for (const auto& [index, beatClass] : classes)
        in.beats[index].beatClass = beatClass;
    return in;
}

TEST(HolterReport, EctopicBeatsAreCountedPerHourAndLeaveTheNnIntervals)
{
    const std::map<size_t, char> ectopic = {{100, 'V'}, {200, 'V'},  {300, 'V'},  {400, 'S'},
                                            {500, 'S'}, {4000, 'V'}, {4100, 'F'}, {4200, 'Q'}};
    OReportControl control;
    const auto r = BuildHolterReport(ClassedRecording(ectopic), control);
    ASSERT_TRUE(r);
    const int64_t beats = r->beatCount;
    EXPECT_EQ(r->classes.Of('N'), beats - 8);
    EXPECT_EQ(r->classes.Of('V'), 4);
    EXPECT_EQ(r->classes.Of('S'), 2);
    EXPECT_EQ(r->classes.Of('F'), 1);
    EXPECT_EQ(r->classes.Of('Q'), 1);
    EXPECT_EQ(r->classes.unclassified, 0);
    // Every interval touching an ectopic beat is excluded, nothing else is.
    EXPECT_EQ(r->time.excludedCount, 16);
    EXPECT_EQ(r->time.nnCount, int64_t(r->rr.size()) - 16);

    ASSERT_EQ(r->hours.size(), 2u);
    const struct {
        int hour;
        int64_t n, s, v, f, q;
    } hours[] = {{0, 3600 - 5, 2, 3, 0, 0}, {1, r->hours[1].beats - 3, 0, 1, 1, 1}};
    const QJsonObject json = ReportJson(*r);
    const QJsonArray jsonHours = json["hours"].toArray();
    for (const auto& h : hours) {
        const OHourRow& row = r->hours[size_t(h.hour)];
        EXPECT_EQ(row.classes.Of('N'), h.n) << h.hour;
        EXPECT_EQ(row.classes.Of('S'), h.s) << h.hour;
        EXPECT_EQ(row.classes.Of('V'), h.v) << h.hour;
        EXPECT_EQ(row.classes.Of('F'), h.f) << h.hour;
        EXPECT_EQ(row.classes.Of('Q'), h.q) << h.hour;
        const QJsonObject j = jsonHours[h.hour].toObject();
        EXPECT_EQ(j["beats_n"].toInteger(), h.n);
        EXPECT_EQ(j["beats_s"].toInteger(), h.s);
        EXPECT_EQ(j["beats_v"].toInteger(), h.v);
        EXPECT_EQ(j["beats_f"].toInteger(), h.f);
        EXPECT_EQ(j["beats_q"].toInteger(), h.q);
        EXPECT_DOUBLE_EQ(j["ventricular_burden_pct"].toDouble(), 100.0 * h.v / row.beats);
    }

    // The JSON states the module's counts and burdens.
    const std::pair<const char*, char> keys[] = {
        {"beats_n", 'N'}, {"beats_s", 'S'}, {"beats_v", 'V'}, {"beats_f", 'F'}, {"beats_q", 'Q'}};
    for (const auto& [key, beatClass] : keys)
        EXPECT_EQ(json[key].toInteger(), r->classes.Of(beatClass)) << key;
    EXPECT_DOUBLE_EQ(json["ventricular_burden_pct"].toDouble(), 100.0 * 4 / beats);
    EXPECT_DOUBLE_EQ(json["supraventricular_burden_pct"].toDouble(), 100.0 * 2 / beats);
    EXPECT_DOUBLE_EQ(json["ventricular_burden_pct"].toDouble(), *BeatBurdenPct(*r, 'V'));
    EXPECT_EQ(json["beats_unclassified"].toInteger(), 0);

    // A recording without beats has no burden at all.
    OReportInput empty = ClassedRecording({});
    empty.beats.clear();
    const auto none = BuildHolterReport(empty, control);
    ASSERT_TRUE(none);
    EXPECT_TRUE(ReportJson(*none)["ventricular_burden_pct"].isNull());
}

int64_t Sample(double seconds)
{
    return std::llround(seconds * 976.5625);
}

// Events made by hand on the thirty minutes above: two AF episodes (the
// first faster, the second longer), two VT runs and a couplet, with the
// beats of the VT runs classed V.
TEST(HolterReport, EventsGiveTheTableHoursStripsAndTheAfExclusion)
{
    OReportInput input = Recording();
    const OReportInput withoutEvents = input;
    ORhythmSummary rhythm;
    rhythm.events = {
        {ORhythmKind::AF, Sample(100), Sample(140), 40, 110},     {ORhythmKind::AF, Sample(300), Sample(400), 100, 95},
        {ORhythmKind::VT, Sample(600), Sample(602), 3, 150},      {ORhythmKind::VT, Sample(700), Sample(705), 6, 130},
        {ORhythmKind::Couplet, Sample(800), Sample(800.8), 2, 0},
    };
    rhythm.analysedSeconds = 1800;
    rhythm.afSeconds = 140;
    input.rhythm = rhythm;
    for (OBeat& b : input.beats) {
        const double t = b.timeMs / 1000;
        b.beatClass = (t >= 600 && t <= 602) || (t >= 700 && t <= 705) ? kBeatVentricular : kBeatNormal;
    }
    OReportControl control;
    const auto r = BuildHolterReport(input, control);
    const auto plain = BuildHolterReport(withoutEvents, control);
    ASSERT_TRUE(r && plain);

    ASSERT_EQ(r->kinds.size(), 3u);
    const struct {
        ORhythmKind kind;
        int64_t count;
        double totalS;
        size_t first, longest, fastest;
    } kinds[] = {
        {ORhythmKind::AF, 2, 140, 0, 1, 0}, {ORhythmKind::VT, 2, 7, 2, 3, 2}, {ORhythmKind::Couplet, 1, 0.8, 4, 4, 4}};
    for (size_t k = 0; k < 3; ++k) {
        const ORhythmKindRow& row = r->kinds[k];
        EXPECT_EQ(row.kind, kinds[k].kind) << k;
        EXPECT_EQ(row.count, kinds[k].count) << k;
        EXPECT_NEAR(row.totalS, kinds[k].totalS, 2e-3) << k;
        EXPECT_EQ(row.first, kinds[k].first) << k;
        EXPECT_EQ(row.longest, kinds[k].longest) << k;
        EXPECT_EQ(row.fastest, kinds[k].fastest) << k;
    }
    const OHourRow& hour = r->hours[0];
    EXPECT_EQ(hour.events[size_t(ORhythmKind::AF)], 2);
    EXPECT_EQ(hour.events[size_t(ORhythmKind::VT)], 2);
    EXPECT_EQ(hour.events[size_t(ORhythmKind::Couplet)], 1);
    EXPECT_EQ(hour.events[size_t(ORhythmKind::Pause)], 0);
    EXPECT_NEAR(hour.afS, 140, 2e-3);

    // HRV leaves the AF time out: 40 + 100 intervals of 1 s, and no other.
    EXPECT_NEAR(r->hrvAfExcludedS, 140, 1e-9);
    int64_t inAf = 0;
    for (size_t i = 0; i < r->rr.size(); ++i) {
        const double t = r->rr[i].timeS;
        const bool inside = (t > 100 && t <= 140) || (t > 300 && t <= 400);
        EXPECT_EQ(r->rr[i].inAf, inside) << t;
        inAf += inside;
        if (inside) {
            EXPECT_FALSE(r->rr[i].nn) << t;
        }
    }
    EXPECT_EQ(inAf, 140);
    // The V runs' intervals leave too (the 1 s beats of the runs are V).
    EXPECT_LT(r->time.nnCount, plain->time.nnCount - 140);

    // Strips: one per event with every role it plays, class letters on the beats.
    ASSERT_EQ(r->rhythmStrips.size(), 5u);
    const std::pair<const char*, const char*> strips[] = {{"AF", "first,fastest"},
                                                          {"AF", "longest"},
                                                          {"VT", "first,fastest"},
                                                          {"VT", "longest"},
                                                          {"COUPLET", "first,longest,fastest"}};
    for (size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(r->rhythmStrips[k].kind, strips[k].first) << k;
        EXPECT_EQ(r->rhythmStrips[k].role, strips[k].second) << k;
    }
    EXPECT_NEAR(r->rhythmStrips[1].startS, 299, 2e-3);                 // a long event from its onset
    EXPECT_NEAR(r->rhythmStrips[3].startS, 702.5 - kStripS / 2, 2e-3); // a short one centred
    int64_t ventricular = 0;
    for (const OStripBeat& b : r->rhythmStrips[3].beats) {
        EXPECT_EQ(b.beatClass, b.timeS >= 700 && b.timeS <= 705 ? kBeatVentricular : kBeatNormal) << b.timeS;
        ventricular += b.beatClass == kBeatVentricular;
    }
    EXPECT_EQ(ventricular, 5);

    const QJsonObject json = ReportJson(*r);
    const QJsonArray events = json["events"].toArray();
    ASSERT_EQ(events.size(), 5);
    for (qsizetype i = 0; i < events.size(); ++i) {
        const ORhythmEvent& e = rhythm.events[size_t(i)];
        const QJsonObject j = events[i].toObject();
        EXPECT_EQ(j["kind"].toString().toStdString(), RhythmKindName(e.kind));
        EXPECT_DOUBLE_EQ(j["start_s"].toDouble(), e.startSample / 976.5625);
        EXPECT_DOUBLE_EQ(j["end_s"].toDouble(), e.endSample / 976.5625);
        EXPECT_EQ(j["beats"].toInt(), e.beats);
        EXPECT_DOUBLE_EQ(j["mean_bpm"].toDouble(), e.meanBpm);
    }
    EXPECT_DOUBLE_EQ(json["af_burden_pct"].toDouble(), 100.0 * 140 / 1800);
    EXPECT_EQ(json["af_episodes"].toInteger(), 2);
    EXPECT_EQ(json["vt_runs"].toInteger(), 2);
    EXPECT_EQ(json["couplets"].toInteger(), 1);
    EXPECT_DOUBLE_EQ(json["hours"].toArray()[0].toObject()["af_s"].toDouble(), hour.afS);
    EXPECT_EQ(json["strips"].toArray().size(), qsizetype(r->strips.size() + 5));
}

} // namespace
