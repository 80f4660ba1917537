// Rhythm events scored against the databases' rhythm annotations, on the
// records of ../shared/ecg-records (or the folder given as the first
// argument); records packed as .экг.xz are unpacked into the build folder.
//
// Rules, as the field's episode comparison states them:
// - AF duration Se = time both call AF / reference AF time; +P = time both
//   call AF / detected AF time, leaving out detected AF inside reference
//   atrial flutter. Gross figures pool the time of mitdb-201, mitdb-203 and
//   the records of af/.
// - AF episodes: a reference AF episode of at least 30 s is found when a
//   detected AF episode overlaps it (Se); a detected episode is true when it
//   overlaps reference AF (+P); one wholly inside reference flutter is left
//   out.
// - False AF: detected AF time in the DS1 records without AF or flutter, in
//   seconds and in % of their time.
// - VT: a `(VT` episode of DS1 is found when a VT event overlaps it; a VT
//   event is true when it overlaps one, and counted apart when it lies in
//   ventricular flutter (`(VFL`, mitdb-207) instead.
// Beats: the precise detector's, end to end, with the classes the pass's
// beat classifier gives ("pass"); and the reference beats with their labels
// mapped to the AAMI classes ("reference"), which tells the rhythm rules'
// faults from the classifier's. Missed VT episodes are listed with their
// rate, the classes their beats got and how many of their reference beats
// the detector missed.
// Simulator ("sim_"): recordings with AF, VT runs, couplets, bigeminy,
// trigeminy and SVT written by the ECG model, through the whole pass; a true
// episode is found when an event of its kind overlaps it, an event of these
// kinds overlapping no true one of its kind is false (--no-sim leaves them
// out).
// events_24h_s: FindRhythmEvents on the impulses of the day-long recording
// (written once into the build folder and kept), median of three;
// events_24h_records_s: the same on the records' reference beats laid end to
// end over 24 hours, a day full of events.
#include "BenchSupport.h"
#include "DetectorKind.h"
#include "EcgTime.h"
#include "OConsole.h"
#include "OEKGFilter.h"
#include "OEcgFile.h"
#include "OSettings.h"
#include "EctopyRecording.h"
#include "ProcessFile.h"
#include "RhythmEvents.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A detected beat matches a reference one this close (150 ms).
constexpr int64_t kMatchSamples = 146;

struct OSpan {
    int64_t start, end; // samples, end exclusive
};

struct ORecord {
    std::string name;
    std::string path;
    int64_t totalSamples = 0;
    std::vector<OImpulse> reference;                  // labelled beats with their classes
    std::map<std::string, std::vector<OSpan>> rhythm; // "(AFIB" -> spans
};

char AamiClass(const std::string& symbol)
{
    static const std::map<std::string, char> classes = {{"N", 'N'}, {"L", 'N'}, {"R", 'N'}, {"e", 'N'}, {"j", 'N'},
                                                        {"A", 'S'}, {"a", 'S'}, {"J", 'S'}, {"S", 'S'}, {"V", 'V'},
                                                        {"E", 'V'}, {"F", 'F'}, {"/", 'Q'}, {"f", 'Q'}, {"Q", 'Q'}};
    const auto it = classes.find(symbol);
    return it == classes.end() ? 0 : it->second;
}

int64_t Overlap(const std::vector<OSpan>& a, const std::vector<OSpan>& b)
{
    int64_t sum = 0;
    for (const OSpan& x : a)
        for (const OSpan& y : b)
            sum += std::max<int64_t>(0, std::min(x.end, y.end) - std::max(x.start, y.start));
    return sum;
}

bool Overlaps(const OSpan& x, const std::vector<OSpan>& b)
{
    return std::any_of(b.begin(), b.end(),
                       [&](const OSpan& y) { return std::min(x.end, y.end) > std::max(x.start, y.start); });
}

int64_t Length(const std::vector<OSpan>& spans)
{
    int64_t sum = 0;
    for (const OSpan& s : spans)
        sum += s.end - s.start;
    return sum;
}

std::string Unpacked(const fs::path& file, const fs::path& folder)
{
    const std::string name = file.filename().string();
    if (name.size() < 3 || name.compare(name.size() - 3, 3, ".xz") != 0)
        return file.string();
    const fs::path out = folder / name.substr(0, name.size() - 3);
    if (!fs::exists(out)) {
        const std::string command = "xz -dkc '" + file.string() + "' > '" + out.string() + ".part' && mv '" +
                                    out.string() + ".part' '" + out.string() + "'";
        if (std::system(command.c_str()) != 0)
            return {};
    }
    return out.string();
}

std::vector<ORecord> Records(const fs::path& shared, const fs::path& unpackTo)
{
    std::vector<ORecord> records;
    for (const fs::path& folder : {shared, shared / "af"}) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            const std::string file = entry.path().filename().string();
            const size_t at = file.find(".экг");
            if (at == std::string::npos)
                continue;
            ORecord r;
            r.name = file.substr(0, at);
            std::ifstream labels(folder / (r.name + ".labels.txt"));
            std::string symbol;
            for (int64_t pos; labels >> pos >> symbol;) {
                OImpulse p{};
                p.Pos = static_cast<int32_t>(pos);
                p.Class = AamiClass(symbol);
                if (p.Class)
                    r.reference.push_back(p);
            }
            if (r.reference.empty())
                continue; // not labelled: detection only
            r.path = Unpacked(entry.path(), unpackTo);
            if (r.path.empty() || fs::file_size(r.path) == 0)
                continue;
            r.totalSamples = int64_t(fs::file_size(r.path)) / kSectorBytes * kSamplesPerSector;
            std::ifstream rhythm(folder / (r.name + ".rhythm.txt"));
            std::vector<std::pair<int64_t, std::string>> changes;
            for (int64_t pos; rhythm >> pos >> symbol;)
                changes.push_back({pos, symbol});
            for (size_t i = 0; i < changes.size(); ++i)
                r.rhythm[changes[i].second].push_back(
                    {changes[i].first, i + 1 < changes.size() ? changes[i + 1].first : r.totalSamples});
            records.push_back(std::move(r));
        }
    }
    std::sort(records.begin(), records.end(), [](const ORecord& a, const ORecord& b) { return a.name < b.name; });
    return records;
}

std::vector<OImpulse> PassBeats(const std::string& path)
{
    auto file = std::make_unique<OEcgFile>();
    auto filter = std::make_unique<OEKGFilter>();
    filter->OverrideDetector(kDetectorPrecise);
    if (!file->OpenEcgFile(path, true))
        return {};
    OProcessControl control;
    ProcessFile(*file, *filter, control);
    const OImpulse* p = file->ImpulseInfo().Data();
    return std::vector<OImpulse>(p, p + file->ImpulseInfo().Count());
}

std::vector<OSpan> Spans(const ORhythmSummary& s, ORhythmKind kind)
{
    std::vector<OSpan> spans;
    for (const ORhythmEvent& e : s.events)
        if (e.kind == kind)
            spans.push_back({e.startSample, e.endSample + 1});
    return spans;
}

struct OAfScore {
    int64_t ref = 0, det = 0, both = 0; // samples; det leaves out flutter
    int refEpisodes = 0, refFound = 0, detEpisodes = 0, detTrue = 0;
    void Add(const OAfScore& o)
    {
        ref += o.ref;
        det += o.det;
        both += o.both;
        refEpisodes += o.refEpisodes;
        refFound += o.refFound;
        detEpisodes += o.detEpisodes;
        detTrue += o.detTrue;
    }
};

double Pct(double a, double b)
{
    return b > 0 ? 100.0 * a / b : 100.0;
}

OAfScore ScoreAf(const ORecord& r, const std::vector<OSpan>& detected)
{
    const auto none = std::vector<OSpan>{};
    const auto find = [&](const char* key) -> const std::vector<OSpan>& {
        const auto it = r.rhythm.find(key);
        return it == r.rhythm.end() ? none : it->second;
    };
    const std::vector<OSpan>& af = find("(AFIB");
    const std::vector<OSpan>& afl = find("(AFL");
    OAfScore s;
    s.ref = Length(af);
    s.both = Overlap(detected, af);
    s.det = Length(detected) - Overlap(detected, afl);
    for (const OSpan& e : af)
        if (e.end - e.start >= int64_t(30 * kSampleRate)) {
            ++s.refEpisodes;
            s.refFound += Overlaps(e, detected);
        }
    for (const OSpan& e : detected) {
        const bool inFlutter = Overlap({e}, afl) == e.end - e.start;
        if (inFlutter)
            continue;
        ++s.detEpisodes;
        s.detTrue += Overlaps(e, af);
    }
    return s;
}

void PrintAf(const std::string& prefix, const OAfScore& s)
{
    std::printf("%s_duration_se: %.2f %%\n", prefix.c_str(), Pct(double(s.both), double(s.ref)));
    std::printf("%s_duration_pp: %.2f %%\n", prefix.c_str(), Pct(double(s.both), double(s.det)));
    std::printf("%s_episode_se: %.2f %%\n", prefix.c_str(), Pct(s.refFound, s.refEpisodes));
    std::printf("%s_episode_pp: %.2f %%\n", prefix.c_str(), Pct(s.detTrue, s.detEpisodes));
}

struct OVariant {
    const char* name;
    OAfScore af;
    double falseAfS = 0, noAfS = 0;
    int vtEpisodes = 0, vtFound = 0, vtEvents = 0, vtTrue = 0, vtInFlutter = 0;
};

void Score(const ORecord& r, const std::vector<OImpulse>& beats, const ORhythmOptions& options, OVariant& v,
           bool verbose)
{
    const ORhythmSummary s = FindRhythmEvents(beats.data(), int64_t(beats.size()), r.totalSamples, options);
    const std::vector<OSpan> af = Spans(s, ORhythmKind::AF);
    const bool mitdb = r.name.rfind("mitdb-", 0) == 0;
    const bool hasAf = r.rhythm.count("(AFIB") || r.rhythm.count("(AFL");
    if (!mitdb || hasAf) {
        const OAfScore a = ScoreAf(r, af);
        v.af.Add(a);
        if (verbose)
            std::printf("af_%s_%s: ref %.0f s, detected %.0f s, both %.0f s\n", v.name, r.name.c_str(),
                        a.ref / kSampleRate, a.det / kSampleRate, a.both / kSampleRate);
    } else {
        const double seconds = Length(af) / kSampleRate;
        v.falseAfS += seconds;
        v.noAfS += r.totalSamples / kSampleRate;
        if (verbose && seconds > 0)
            std::printf("false_af_%s_%s: %.1f s\n", v.name, r.name.c_str(), seconds);
    }
    const bool classified = std::any_of(beats.begin(), beats.end(), [](const OImpulse& p) { return p.Class != 0; });
    const auto vt = r.rhythm.find("(VT");
    const std::vector<OSpan> found = Spans(s, ORhythmKind::VT);
    if (mitdb) {
        const auto flutter = r.rhythm.find("(VFL");
        for (const OSpan& e : found) {
            const bool hit = vt != r.rhythm.end() && Overlaps(e, vt->second);
            if (!hit && flutter != r.rhythm.end() && Overlaps(e, flutter->second)) {
                ++v.vtInFlutter; // a ventricular tachyarrhythmia all the same
                continue;
            }
            ++v.vtEvents;
            v.vtTrue += hit;
            if (verbose && classified && !hit) {
                // Which rhythm the database has there.
                std::string rhythm;
                for (const auto& [name, spans] : r.rhythm)
                    if (Overlaps(e, spans))
                        rhythm += name;
                // And what its beats are in the reference ('-': no beat).
                std::string labels;
                for (const OImpulse& b : beats)
                    if (b.Pos >= e.start && b.Pos < e.end) {
                        const auto near = std::find_if(r.reference.begin(), r.reference.end(), [&](const OImpulse& p) {
                            return std::llabs(int64_t(b.Pos) - p.Pos) <= kMatchSamples;
                        });
                        labels += near == r.reference.end() ? '-' : near->Class;
                    }
                std::printf("vt_false_%s_%s: %.1f to %.1f s, %s, reference beats %s\n", v.name, r.name.c_str(),
                            e.start / kSampleRate, e.end / kSampleRate, rhythm.c_str(), labels.c_str());
            }
        }
    }
    if (vt != r.rhythm.end()) {
        for (const OSpan& e : vt->second) {
            ++v.vtEpisodes;
            v.vtFound += Overlaps(e, found);
            if (verbose && classified && !Overlaps(e, found)) {
                // The classes the episode's beats got, and its rate.
                std::string classes;
                int64_t first = -1, last = -1;
                for (size_t i = 0; i < beats.size(); ++i)
                    if (beats[i].Pos >= e.start - kMatchSamples && beats[i].Pos < e.end + kMatchSamples) {
                        classes += beats[i].Class ? beats[i].Class : '0';
                        first = first < 0 ? int64_t(i) : first;
                        last = int64_t(i);
                    }
                const double bpm = last > first ? 60.0 * kSampleRate * double(last - first) /
                                                      (beats[size_t(last)].Pos - beats[size_t(first)].Pos)
                                                : 0.0;
                // The reference beats of the episode the detector missed:
                // a run the classes cannot complete.
                int reference = 0, undetected = 0;
                for (const OImpulse& p : r.reference)
                    if (p.Pos >= e.start && p.Pos < e.end) {
                        ++reference;
                        undetected += std::none_of(beats.begin(), beats.end(), [&](const OImpulse& b) {
                            return std::llabs(int64_t(b.Pos) - p.Pos) <= kMatchSamples;
                        });
                    }
                std::printf("vt_missed_%s_%s: %.1f s, %.0f bpm, %s, %d of %d reference beats undetected\n", v.name,
                            r.name.c_str(), e.start / kSampleRate, bpm, classes.c_str(), undetected, reference);
            }
        }
    }
}

// Percentiles of the AF detector's irregularity inside and outside reference
// AF, per record: what its threshold has to separate.
void PrintIrregularity(const ORecord& r, const std::vector<OImpulse>& beats, const OAfOptions& options)
{
    const std::vector<OAfMeasure> measures = AfMeasures(beats.data(), int64_t(beats.size()), options);
    const auto it = r.rhythm.find("(AFIB");
    std::vector<double> in, out, inC, outC, inM, outM;
    for (size_t i = 0; i < measures.size(); ++i) {
        if (measures[i].irregularity < 0)
            continue;
        const OSpan at{beats[i].Pos, beats[i + 1].Pos};
        const bool af = it != r.rhythm.end() && Overlaps(at, it->second);
        (af ? in : out).push_back(measures[i].irregularity);
        (af ? inC : outC).push_back(measures[i].clustered);
        (af ? inM : outM).push_back(measures[i].matched);
    }
    for (auto* v : {&in, &out, &inC, &outC, &inM, &outM}) {
        if (v->empty())
            continue;
        std::sort(v->begin(), v->end());
        const auto q = [&](double f) { return (*v)[size_t(f * double(v->size() - 1))]; };
        std::printf("irregularity_%s_%s: p5 %.3f p25 %.3f p50 %.3f p75 %.3f p95 %.3f (%zu)\n", r.name.c_str(),
                    v == &in     ? "af"
                    : v == &out  ? "other"
                    : v == &inC  ? "af_clustered"
                    : v == &outC ? "other_clustered"
                    : v == &inM  ? "af_matched"
                                 : "other_matched",
                    q(0.05), q(0.25), q(0.5), q(0.75), q(0.95), v->size());
    }
}

void PrintVariant(const OVariant& v)
{
    const std::string prefix = std::string("af_") + v.name;
    PrintAf(prefix, v.af);
    std::printf("false_af_%s_ds1_s: %.1f s\n", v.name, v.falseAfS);
    std::printf("false_af_%s_ds1_pct: %.3f %%\n", v.name, Pct(v.falseAfS, v.noAfS));
    std::printf("vt_%s_episode_se: %.2f %% (%d of %d)\n", v.name, Pct(v.vtFound, v.vtEpisodes), v.vtFound,
                v.vtEpisodes);
    // A VT event is true when it overlaps a database (VT episode; those
    // inside ventricular flutter are counted apart, not against it.
    std::printf("vt_%s_event_pp: %.2f %% (%d of %d)\n", v.name, Pct(v.vtTrue, v.vtEvents), v.vtTrue, v.vtEvents);
    std::printf("vt_%s_events_in_ventricular_flutter: %d\n", v.name, v.vtInFlutter);
}

void TimeDay(const fs::path& folder)
{
    // Kept in the build folder: writing it takes minutes.
    const std::string path = (folder / "day.экг").string();
    std::error_code error;
    const bool written = fs::file_size(path, error) == uintmax_t(kBenchDaySectors) * kSectorBytes;
    if (!written && !WriteBenchRecording(path, kBenchDaySectors)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return;
    }
    const std::unique_ptr<OEcgFile> file = OpenAndProcess(path);
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        return;
    }
    const int64_t total = file->SectorCount() * kSamplesPerSector;
    std::vector<double> seconds;
    size_t events = 0;
    for (int run = 0; run < 3; ++run) {
        const double start = ThreadCpuSeconds();
        const ORhythmSummary s = FindRhythmEvents(file->ImpulseInfo().Data(), file->ImpulseInfo().Count(), total);
        seconds.push_back(ThreadCpuSeconds() - start);
        events = s.events.size();
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("events_24h_s: %.3f s\n", seconds[1]);
    std::printf("events_24h_count: %zu\n", events);
}

// The reference beats and classes of all records laid end to end until they
// fill 24 hours: a day full of AF, ectopy and runs.
void TimeRecordsDay(const std::vector<ORecord>& records)
{
    const int64_t day = int64_t(86400 * kSampleRate);
    std::vector<OImpulse> beats;
    for (int64_t offset = 0; offset < day && !records.empty();)
        for (const ORecord& r : records) {
            for (OImpulse p : r.reference)
                if (offset + p.Pos < day) {
                    p.Pos += int32_t(offset);
                    beats.push_back(p);
                }
            offset += r.totalSamples;
        }
    if (beats.empty())
        return;
    std::vector<double> seconds;
    size_t events = 0;
    for (int run = 0; run < 3; ++run) {
        const double start = ThreadCpuSeconds();
        const ORhythmSummary s = FindRhythmEvents(beats.data(), int64_t(beats.size()), day);
        seconds.push_back(ThreadCpuSeconds() - start);
        events = s.events.size();
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("events_24h_records_s: %.3f s\n", seconds[1]);
    std::printf("events_24h_records_count: %zu\n", events);
}

// The simulator's recordings with known events, through the whole pass: each
// true AF, VT, couplet, bigeminy, trigeminy or SVT episode is found when an
// event of its kind overlaps it; an event of these kinds overlapping no true
// one of its kind is false.
struct OSimCase {
    const char* name;
    double seconds;
    ORecordingOptions options;
};

std::vector<OSimCase> SimCases()
{
    std::vector<OSimCase> cases;
    const auto add = [&](const char* name, double bpm, double seconds, std::vector<OEcgEpisode> episodes,
                         double pvc = 0, double apc = 0) {
        OSimCase c{name, seconds, {}};
        c.options.ecg.bpm = bpm;
        c.options.ecg.seed = uint32_t(cases.size() + 7);
        c.options.ecg.rhythm.episodes = std::move(episodes);
        c.options.ecg.rhythm.pvcPerMinute = pvc;
        c.options.ecg.rhythm.apcPerMinute = apc;
        cases.push_back(std::move(c));
    };
    add("af_paroxysms", 70, 600, {{OEcgPattern::Af, 60, 0, 110, 120}, {OEcgPattern::Af, 330, 0, 90, 90}}, 2, 2);
    add("af_fast", 80, 300, {{OEcgPattern::Af, 90, 0, 150, 150}});
    add("vt_runs", 75, 420,
        {{OEcgPattern::VtRun, 60, 3, 120},
         {OEcgPattern::VtRun, 120, 8, 160},
         {OEcgPattern::VtRun, 180, 5, 200},
         {OEcgPattern::Couplet, 240},
         {OEcgPattern::Couplet, 300},
         {OEcgPattern::SvtRun, 360, 6, 150}},
        1, 1);
    add("bigeminy_long", 70, 300, {{OEcgPattern::Bigeminy, 60, 100}, {OEcgPattern::Trigeminy, 230, 15}});
    add("trigeminy_long", 65, 300, {{OEcgPattern::Trigeminy, 40, 60}, {OEcgPattern::Bigeminy, 240, 10}});
    add("svt_runs", 70, 300,
        {{OEcgPattern::SvtRun, 60, 3, 130}, {OEcgPattern::SvtRun, 150, 10, 170}, {OEcgPattern::SvtRun, 240, 5, 190}}, 0,
        3);
    return cases;
}

void BenchSimulated(const fs::path& folder, bool verbose)
{
    struct OCount {
        int truth = 0, found = 0, events = 0, falseEvents = 0;
    };
    const int kinds = int(OEcgEventKind::SVT) + 1;
    std::vector<OCount> counts(static_cast<size_t>(kinds));
    std::vector<std::pair<std::string, std::optional<OEcgTruth>>> recordings;
    for (const OSimCase& c : SimCases())
        recordings.emplace_back(
            c.name, WriteRhythmRecording((folder / (std::string(c.name) + ".экг")).string(), c.options, c.seconds));
    for (const double bpm : {55.0, 75.0, 110.0}) {
        const std::string name = "ectopy_" + std::to_string(int(bpm));
        recordings.emplace_back(name, WriteEctopyRecording((folder / (name + ".экг")).string(), bpm, 10, 3));
    }
    for (const auto& [name, truth] : recordings) {
        if (!truth) {
            std::fprintf(stderr, "cannot write %s\n", name.c_str());
            continue;
        }
        const std::string path = (folder / (name + ".экг")).string();
        const std::vector<OImpulse> beats = PassBeats(path);
        const int64_t total = int64_t(fs::file_size(path)) / kSectorBytes * kSamplesPerSector;
        const ORhythmSummary s = FindRhythmEvents(beats.data(), int64_t(beats.size()), total);
        for (int k = 0; k < kinds; ++k) {
            const char* kind = EcgEventName(OEcgEventKind(k));
            std::vector<OSpan> truthSpans, found;
            for (const OEcgEvent& e : truth->events)
                if (int(e.kind) == k)
                    truthSpans.push_back({e.startSample, e.endSample + 1});
            for (const ORhythmEvent& e : s.events)
                if (std::strcmp(RhythmKindName(e.kind), kind) == 0)
                    found.push_back({e.startSample, e.endSample + 1});
            OCount& n = counts[size_t(k)];
            for (const OSpan& t : truthSpans) {
                ++n.truth;
                const bool hit = Overlaps(t, found);
                n.found += hit;
                if (verbose && !hit)
                    std::printf("sim_missed_%s_%s: %.1f s\n", name.c_str(), kind, t.start / kSampleRate);
            }
            for (const OSpan& e : found) {
                ++n.events;
                const bool wrong = !Overlaps(e, truthSpans);
                n.falseEvents += wrong;
                if (verbose && wrong)
                    std::printf("sim_false_%s_%s: %.1f to %.1f s\n", name.c_str(), kind, e.start / kSampleRate,
                                e.end / kSampleRate);
            }
            if (k == int(OEcgEventKind::AF) && !truthSpans.empty()) {
                // Onset and offset errors of the first true episode's match.
                for (const OSpan& t : truthSpans)
                    for (const OSpan& e : found)
                        if (Overlaps(t, {e}) && verbose)
                            std::printf("sim_af_%s: onset %+.1f s, offset %+.1f s\n", name.c_str(),
                                        (e.start - t.start) / kSampleRate, (e.end - t.end) / kSampleRate);
            }
        }
    }
    for (int k = 0; k < kinds; ++k) {
        const OCount& n = counts[size_t(k)];
        std::printf("sim_%s_found: %d of %d\n", EcgEventName(OEcgEventKind(k)), n.found, n.truth);
        std::printf("sim_%s_false: %d of %d\n", EcgEventName(OEcgEventKind(k)), n.falseEvents, n.events);
    }
}

} // namespace

int main(int argc, char** argv)
{
    Console().SetOutput(-1);
    fs::path shared = BRENNA_ECG_RECORDS;
    ORhythmOptions options;
    bool day = true, verbose = true, simulated = true;
    int irregularity = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--no-day")
            day = false;
        else if (a == "--no-sim")
            simulated = false;
        else if (a == "--irregularity")
            irregularity = 1;
        else if (a == "--irregularity-pass")
            irregularity = 2;
        else if (a == "--quiet")
            verbose = false;
        else if (a == "--threshold" && i + 1 < argc)
            options.af.threshold = std::atof(argv[++i]);
        else if (a == "--window" && i + 1 < argc)
            options.af.window = std::atoi(argv[++i]);
        else if (a == "--lags" && i + 1 < argc)
            options.af.maxLag = std::atoi(argv[++i]);
        else if (a == "--bridge" && i + 1 < argc)
            options.af.bridgeS = std::atof(argv[++i]);
        else if (a == "--clustered" && i + 1 < argc)
            options.af.maxClustered = std::atof(argv[++i]);
        else if (a == "--matched" && i + 1 < argc)
            options.af.maxMatched = std::atof(argv[++i]);
        else if (a == "--match" && i + 1 < argc)
            options.af.match = std::atof(argv[++i]);
        else if (a == "--band" && i + 1 < argc)
            options.af.band = std::atof(argv[++i]);
        else if (a == "--no-premature")
            options.af.prematureFilter = false;
        else
            shared = a;
    }
    const fs::path unpack = fs::path(BRENNA_BENCH_FOLDER) / "ecg-records";
    fs::create_directories(unpack);
    const fs::path folder = fs::temp_directory_path() / "brenna-bench-rhythm";
    fs::create_directories(folder);
    OSettings::SetStorageFolder((folder / "settings").string()); // defaults

    const std::vector<ORecord> records = Records(shared, unpack);
    if (records.empty())
        std::fprintf(stderr, "no labelled records in %s\n", shared.string().c_str());
    OVariant pass{"pass", {}}, reference{"reference", {}};
    for (const ORecord& r : records) {
        Score(r, PassBeats(r.path), options, pass, verbose);
        Score(r, r.reference, options, reference, verbose);
        if (irregularity)
            PrintIrregularity(r, irregularity == 1 ? r.reference : PassBeats(r.path), options.af);
    }
    PrintVariant(pass);
    PrintVariant(reference);
    if (simulated)
        BenchSimulated(folder, verbose);
    TimeRecordsDay(records);
    if (day)
        TimeDay(unpack);
    fs::remove_all(folder);
    return 0;
}
