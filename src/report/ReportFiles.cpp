#include "ReportFiles.h"

#include "DetectorKind.h"
#include "OutputFile.h"
#include "ReportFigures.h"
#include "ReportRhythm.h"
#include "StrFormat.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>
#include <cstring>

namespace {

QJsonValue Number(const std::optional<double>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// beats_n ... beats_q and beats_unclassified.
void AddClassCounts(QJsonObject& json, const OBeatClassCounts& counts)
{
    for (char c : kBeatClasses)
        json[QStringLiteral("beats_") + QChar(c).toLower()] = static_cast<qint64>(counts.Of(c));
    json["beats_unclassified"] = static_cast<qint64>(counts.unclassified);
}

QJsonArray Hours(const OHolterReport& r)
{
    QJsonArray hours;
    for (const OHourRow& h : r.hours)
        hours.append(QJsonObject{
            {"hour", h.hour},
            {"start_s", h.hour * 3600.0},
            {"clock", QString::fromStdString(ClockText(r, h.hour * 3600.0))},
            {"beats", static_cast<qint64>(h.beats)},
            {"hr_min_bpm", Number(h.hrMin)},
            {"hr_mean_bpm", Number(h.hrMean)},
            {"hr_max_bpm", Number(h.hrMax)},
            {"sdnn_ms", Number(h.sdnn)},
            {"rmssd_ms", Number(h.rmssd)},
            {"excluded_pct", Number(h.excludedPct)},
            {"activity", Number(h.activity)},
            {"temperature_c", Number(h.temperature)},
        });
    for (qsizetype i = 0; i < hours.size(); ++i) {
        const OHourRow& h = r.hours[size_t(i)];
        QJsonObject row = hours[i].toObject();
        AddClassCounts(row, h.classes);
        row["ventricular_burden_pct"] = Number(HourBurdenPct(h, kBeatVentricular));
        row["supraventricular_burden_pct"] = Number(HourBurdenPct(h, kBeatSupra));
        row["af_s"] = h.afS;
        QJsonObject counts;
        for (int k = 0; k < kRhythmKindCount; ++k)
            counts[RhythmKindName(ORhythmKind(k))] = static_cast<qint64>(h.events[size_t(k)]);
        row["event_counts"] = counts;
        hours[i] = row;
    }
    return hours;
}

QJsonArray Strips(const OHolterReport& r)
{
    QJsonArray strips;
    for (const OStrip& s : r.strips) {
        QJsonObject e{{"kind", QString::fromStdString(s.kind)},
                      {"time_s", s.eventTimeS},
                      {"strip_start_s", s.startS},
                      {"strip_beats", static_cast<int>(s.beats.size())}};
        if (s.kind == "pause")
            e["rr_ms"] = s.valueMs;
        else
            e["hr_bpm"] = s.valueMs;
        strips.append(e);
    }
    for (const OStrip& s : r.rhythmStrips)
        strips.append(QJsonObject{{"kind", QString::fromStdString(s.kind)},
                                  {"role", QString::fromStdString(s.role)},
                                  {"time_s", s.eventTimeS},
                                  {"duration_s", s.valueMs / 1000},
                                  {"strip_start_s", s.startS},
                                  {"strip_beats", static_cast<int>(s.beats.size())}});
    return strips;
}

QJsonArray RhythmEvents(const OHolterReport& r)
{
    QJsonArray events;
    for (const ORhythmEvent& e : r.rhythm.events)
        events.append(QJsonObject{{"kind", RhythmKindName(e.kind)},
                                  {"start_s", EventStartS(r, e)},
                                  {"end_s", EventStartS(r, e) + EventSeconds(r, e)},
                                  {"beats", e.beats},
                                  {"mean_bpm", e.meanBpm}});
    return events;
}

int64_t CountOf(const OHolterReport& r, ORhythmKind kind)
{
    for (const ORhythmKindRow& row : r.kinds)
        if (row.kind == kind)
            return row.count;
    return 0;
}

// Through the partial file, renamed once complete (OutputFile.h).
bool WriteBytes(const std::string& path, const QByteArray& bytes, std::string& error)
{
    OOutputFile file(path);
    if (!file.Write(bytes.constData(), size_t(bytes.size())) || !file.Commit()) {
        error = "не удалось записать " + path + ": " + std::strerror(file.Error());
        return false;
    }
    return true;
}

} // namespace

QJsonObject ReportJson(const OHolterReport& r)
{
    QJsonObject json;
    json["file"] = QString::fromStdString(r.info.filePath);
    json["start"] = r.info.start.known ? QJsonValue(QString::fromStdString(r.info.start.Text())) : QJsonValue();
    json["duration_s"] = r.info.durationS;
    json["detector"] = DetectorOptionName(r.info.detector);
    json["beats"] = static_cast<qint64>(r.beatCount);
    json["rr_count"] = static_cast<qint64>(r.rr.size());
    json["nn_count"] = static_cast<qint64>(r.time.nnCount);
    json["excluded_count"] = static_cast<qint64>(r.time.excludedCount);
    json["hr_min_time_s"] = r.hrMinMinute >= 0 ? QJsonValue(r.hrMinMinute * 60.0) : QJsonValue();
    json["hr_max_time_s"] = r.hrMaxMinute >= 0 ? QJsonValue(r.hrMaxMinute * 60.0) : QJsonValue();
    json["segments_time_domain"] = r.time.segmentsUsed;
    json["segments_frequency_domain"] = r.frequency.segmentsUsed;
    QJsonObject unavailable;
    for (const OSummaryFigure& f : SummaryFigures(r)) {
        json[f.key] = Number(f.value);
        if (!f.value)
            unavailable[f.key] = QString::fromStdString(f.missing);
    }
    json["unavailable"] = unavailable;

    QJsonArray pauses;
    for (const OPause& p : r.pauses)
        pauses.append(QJsonObject{{"time_s", p.timeS}, {"rr_ms", p.rrMs}});
    json["pauses"] = pauses;
    QJsonArray episodes;
    for (const OEpisode& e : r.episodes)
        episodes.append(QJsonObject{{"kind", e.tachycardia ? "tachycardia" : "bradycardia"},
                                    {"start_s", e.firstMinute * 60.0},
                                    {"minutes", e.minutes},
                                    {"extreme_bpm", e.extremeBpm}});
    json["episodes"] = episodes;
    json["hours"] = Hours(r);
    json["strips"] = Strips(r);

    AddClassCounts(json, r.classes);
    json["ventricular_burden_pct"] = Number(BeatBurdenPct(r, kBeatVentricular));
    json["supraventricular_burden_pct"] = Number(BeatBurdenPct(r, kBeatSupra));
    json["events"] = RhythmEvents(r);
    json["af_burden_pct"] = r.rhythm.AfBurdenPct();
    json["af_episodes"] = static_cast<qint64>(CountOf(r, ORhythmKind::AF));
    json["vt_runs"] = static_cast<qint64>(CountOf(r, ORhythmKind::VT));
    json["couplets"] = static_cast<qint64>(CountOf(r, ORhythmKind::Couplet));
    json["hrv_af_excluded_s"] = r.hrvAfExcludedS;
    return json;
}

bool WriteReportJson(const OHolterReport& report, const std::string& path, std::string& error)
{
    return WriteBytes(path, QJsonDocument(ReportJson(report)).toJson(QJsonDocument::Indented), error);
}

bool WriteRrCsv(const OHolterReport& report, const std::string& path, std::string& error)
{
    // A block of lines at a time: a week has 700,000 intervals.
    OOutputFile file(path);
    std::string text;
    for (const ORrInterval& i : report.rr) {
        text += StrFormat("%.4f,%.3f,%d,%u,%u\n", i.timeS, i.rrMs, i.nn ? 1 : 0, unsigned(i.flagsFirst),
                          unsigned(i.flagsSecond));
        if (text.size() >= (1 << 16)) {
            file.Write(text);
            text.clear();
        }
    }
    if (!file.Write(text) || !file.Commit()) {
        error = "не удалось записать " + path + ": " + std::strerror(file.Error());
        return false;
    }
    return true;
}
