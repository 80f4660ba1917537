// Beat classes scored against the MIT-BIH DS1 records of ../shared/ecg-records
// (or the folder given as the first argument), end to end: the precise
// detector, then the classifier, as ProcessFile runs them.
//
// Rules (ANSI/AAMI EC57, as the records' README states them): a detection
// matches the nearest reference beat not yet taken at most 150 ms away, one
// to one. Reference beats of class Q, and the detections matched to them,
// are left out. VEB Se = reference V called V / all reference V (a missed
// beat counts against it); VEB +P = reference V called V / all detections
// called V, except that a reference F called V counts on neither side.
// SVEB Se and +P likewise for S, every other call of S counting against +P.
// Prints per record and gross figures, a table, the simulator's ectopy at
// 50-150 bpm scored the same way (sim_ectopy_misclassified: PVCs and APCs
// not classed right, a missed one included), and the classifier's cost for a
// day (classify_24h_s) beside the pass without it. Options after the folder:
// --no-records, --no-sim, --no-day; BRENNA_BENCH_DUMP=folder writes each
// recording's detections and reference beats there.
#include "BeatClassifier.h"
#include "BeatSamples.h"
#include "BenchSupport.h"
#include "DetectorKind.h"
#include "EctopyRecording.h"
#include "OConsole.h"
#include "OEcgFile.h"
#include "OSettings.h"
#include "ProcessFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int64_t kTolerance = 146; // 150 ms

struct OLabel {
    int64_t pos;
    char cls; // N S V F Q
};

char ClassOfSymbol(const std::string& s)
{
    static const std::map<std::string, char> table = {
        {"N", 'N'}, {"L", 'N'}, {"R", 'N'}, {"e", 'N'}, {"j", 'N'}, {"A", 'S'}, {"a", 'S'},
        {"J", 'S'}, {"S", 'S'}, {"V", 'V'}, {"E", 'V'}, {"F", 'F'}, {"/", 'Q'}, {"f", 'Q'}, {"Q", 'Q'}};
    const auto it = table.find(s);
    return it == table.end() ? 'Q' : it->second;
}

struct OClassScore {
    int64_t vTp = 0, vFn = 0, vFp = 0;
    int64_t sTp = 0, sFn = 0, sFp = 0;
    int64_t refV = 0, refS = 0, beats = 0, missed = 0;
    int64_t confusion[5][6] = {}; // reference N S V F O (unmatched) by call N S V F Q other
    void Add(const OClassScore& o)
    {
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 6; ++c)
                confusion[r][c] += o.confusion[r][c];
        vTp += o.vTp, vFn += o.vFn, vFp += o.vFp;
        sTp += o.sTp, sFn += o.sFn, sFp += o.sFp;
        refV += o.refV, refS += o.refS, beats += o.beats, missed += o.missed;
    }
    static double Pct(int64_t a, int64_t b) { return b > 0 ? 100.0 * double(a) / double(b) : 100.0; }
    double VSe() const { return Pct(vTp, vTp + vFn); }
    double VPp() const { return Pct(vTp, vTp + vFp); }
    double SSe() const { return Pct(sTp, sTp + sFn); }
    double SPp() const { return Pct(sTp, sTp + sFp); }
};

// Spans of ventricular flutter: the records label no beats there.
using OSpans = std::vector<std::pair<int64_t, int64_t>>;

bool Inside(const OSpans& spans, int64_t pos)
{
    for (const auto& [a, b] : spans)
        if (pos >= a && pos < b)
            return true;
    return false;
}

// skip: detections inside these spans count on neither side.
OClassScore Score(const std::vector<OLabel>& truth, const OImpulse* beats, int64_t count, const OSpans& skip = {})
{
    // Match: each detection takes the nearest reference beat not yet taken.
    std::vector<int64_t> matchOf(size_t(count), -1);
    std::vector<bool> used(truth.size(), false);
    for (int64_t d = 0; d < count; ++d) {
        const int64_t p = beats[d].Pos;
        auto it = std::lower_bound(truth.begin(), truth.end(), p - kTolerance,
                                   [](const OLabel& l, int64_t v) { return l.pos < v; });
        int64_t best = -1;
        for (; it != truth.end() && it->pos <= p + kTolerance; ++it) {
            const size_t i = size_t(it - truth.begin());
            if (!used[i] && (best < 0 || std::llabs(it->pos - p) < std::llabs(truth[size_t(best)].pos - p)))
                best = int64_t(i);
        }
        if (best >= 0) {
            used[size_t(best)] = true;
            matchOf[size_t(d)] = best;
        }
    }
    OClassScore s;
    for (size_t i = 0; i < truth.size(); ++i) {
        if (truth[i].cls == 'Q')
            continue;
        ++s.beats;
        s.refV += truth[i].cls == 'V';
        s.refS += truth[i].cls == 'S';
        if (!used[i]) {
            ++s.missed;
            s.vFn += truth[i].cls == 'V';
            s.sFn += truth[i].cls == 'S';
        }
    }
    for (int64_t d = 0; d < count; ++d) {
        const char called = beats[d].Class;
        const char ref = matchOf[size_t(d)] >= 0 ? truth[size_t(matchOf[size_t(d)])].cls : 'O';
        if (ref == 'Q' || (ref == 'O' && Inside(skip, beats[d].Pos)))
            continue;
        static const std::string refs = "NSVFO", calls = "NSVFQ";
        const size_t cc = calls.find(called);
        ++s.confusion[refs.find(ref)][cc == std::string::npos ? 5 : cc];
        if (ref == 'V')
            (called == 'V' ? s.vTp : s.vFn)++;
        else if (called == 'V' && ref != 'F')
            ++s.vFp;
        if (ref == 'S')
            (called == 'S' ? s.sTp : s.sFn)++;
        else if (called == 'S')
            ++s.sFp;
    }
    return s;
}

struct ORecord {
    std::string name;
    std::string path;
    std::vector<OLabel> truth;
    OSpans flutter; // from the rhythm labels
};

// The labelled records; packed ones are unpacked into the build folder once.
std::vector<ORecord> LabelledRecords(const fs::path& folder, const fs::path& unpacked)
{
    std::vector<ORecord> records;
    std::error_code error;
    fs::create_directories(unpacked, error);
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string file = entry.path().filename().string();
        const std::string suffix = ".labels.txt";
        if (file.size() <= suffix.size() || file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        ORecord r;
        r.name = file.substr(0, file.size() - suffix.size());
        const fs::path plain = folder / (r.name + ".экг");
        const fs::path packed = folder / (r.name + ".экг.xz");
        if (fs::exists(plain)) {
            r.path = plain.string();
        } else if (fs::exists(packed)) {
            r.path = (unpacked / (r.name + ".экг")).string();
            if (!fs::exists(r.path)) {
                const std::string command = "xz -dkc '" + packed.string() + "' > '" + r.path + ".part' && mv '" +
                                            r.path + ".part' '" + r.path + "'";
                if (std::system(command.c_str()) != 0) {
                    std::fprintf(stderr, "cannot unpack %s\n", packed.string().c_str());
                    continue;
                }
            }
        } else {
            continue;
        }
        std::ifstream in(entry.path());
        int64_t pos;
        std::string symbol;
        while (in >> pos >> symbol)
            r.truth.push_back({pos, ClassOfSymbol(symbol)});
        std::sort(r.truth.begin(), r.truth.end(), [](const OLabel& a, const OLabel& b) { return a.pos < b.pos; });
        std::ifstream rhythm(folder / (r.name + ".rhythm.txt"));
        int64_t start = -1;
        for (std::string label; rhythm >> pos >> label;) {
            if (start >= 0)
                r.flutter.emplace_back(start, pos);
            start = label == "(VFL" ? pos : -1;
        }
        if (start >= 0)
            r.flutter.emplace_back(start, INT64_MAX);
        if (!r.truth.empty())
            records.push_back(std::move(r));
    }
    std::sort(records.begin(), records.end(), [](const ORecord& a, const ORecord& b) { return a.name < b.name; });
    return records;
}

struct OScores {
    OClassScore all, outsideFlutter;
};

OScores Classify(const ORecord& record)
{
    auto file = std::make_unique<OEcgFile>();
    auto filter = std::make_unique<OEKGFilter>();
    filter->OverrideDetector(kDetectorPrecise);
    if (!file->OpenEcgFile(record.path, true)) {
        std::fprintf(stderr, "cannot open %s\n", record.path.c_str());
        return {};
    }
    OProcessControl control;
    ProcessFile(*file, *filter, control);
    if (const char* dump = std::getenv("BRENNA_BENCH_DUMP")) {
        // Each detection's position, flags and class, for a closer look.
        std::ofstream out(fs::path(dump) / (record.name + ".beats.txt"));
        for (int64_t i = 0; i < file->ImpulseInfo().Count(); ++i) {
            const OImpulse& p = file->ImpulseInfo()[i];
            out << p.Pos << ' ' << int(p.Flags) << ' ' << (p.Class ? p.Class : '0') << '\n';
        }
        std::ofstream truth(fs::path(dump) / (record.name + ".truth.txt"));
        for (const OLabel& label : record.truth)
            truth << label.pos << ' ' << label.cls << '\n';
    }
    const OImpulse* beats = file->ImpulseInfo().Data();
    const int64_t count = file->ImpulseInfo().Count();
    return {Score(record.truth, beats, count), Score(record.truth, beats, count, record.flutter)};
}

void PrintTable(const std::vector<std::pair<std::string, OClassScore>>& rows, const OClassScore& gross)
{
    std::printf("\n%-10s %6s %5s %5s %8s %8s %8s %8s\n", "record", "beats", "V", "S", "VEB Se", "VEB +P",
                "SVEB Se", "SVEB +P");
    auto line = [](const std::string& name, const OClassScore& s) {
        std::printf("%-10s %6lld %5lld %5lld %8.2f %8.2f %8.2f %8.2f\n", name.c_str(), (long long)s.beats,
                    (long long)s.refV, (long long)s.refS, s.VSe(), s.VPp(), s.SSe(), s.SPp());
    };
    for (const auto& [name, s] : rows)
        line(name, s);
    line("gross", gross);
    std::printf("\n");
    if (!std::getenv("BRENNA_BENCH_CONFUSION"))
        return;
    // Which reference class was called what (rows N S V F and unmatched detections).
    for (const auto& [name, s] : rows) {
        std::printf("%-10s", name.c_str());
        for (int r = 0; r < 5; ++r) {
            std::printf(" |");
            for (int c = 0; c < 5; ++c)
                std::printf(" %4lld", (long long)s.confusion[r][c]);
        }
        std::printf("\n");
    }
}

// Simulator ectopy at 50-150 bpm: ten minutes of the model's ECG with PVCs,
// APCs, runs, bigeminy, trigeminy and AF (EctopySchedule) per rate, through
// the precise detector and the classifier, scored as the records are. Every
// PVC and APC should be classed right; a missed one counts as misclassified.
void SimulatorEctopy(const fs::path& folder)
{
    OClassScore total;
    int64_t wrongN = 0;
    for (const double bpm : {50.0, 75.0, 100.0, 125.0, 150.0}) {
        const std::string name = "sim_ectopy_" + std::to_string(int(bpm));
        const std::string path = (folder / (name + ".экг")).string();
        const std::optional<OEcgTruth> truth = WriteEctopyRecording(path, bpm, 10, uint32_t(bpm));
        if (!truth) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            continue;
        }
        ORecord record;
        record.name = name;
        record.path = path;
        for (size_t i = 0; i < truth->rPeaks.size(); ++i)
            record.truth.push_back({truth->rPeaks[i], truth->classes[i]});
        const OClassScore s = Classify(record).all;
        total.Add(s);
        // Normal beats called ectopic (S or V), apart from the ectopics missed.
        const int64_t nWrong = s.confusion[0][1] + s.confusion[0][2];
        wrongN += nWrong;
        std::printf("%s_pvc_correct: %lld of %lld beats\n", name.c_str(), (long long)s.vTp, (long long)s.refV);
        std::printf("%s_apc_correct: %lld of %lld beats\n", name.c_str(), (long long)s.sTp, (long long)s.refS);
        std::printf("%s_normal_called_ectopic: %lld beats\n", name.c_str(), (long long)nWrong);
    }
    std::printf("sim_ectopy_pvc_correct: %lld of %lld beats\n", (long long)total.vTp, (long long)total.refV);
    std::printf("sim_ectopy_apc_correct: %lld of %lld beats\n", (long long)total.sTp, (long long)total.refS);
    std::printf("sim_ectopy_misclassified: %lld beats\n",
                (long long)(total.refV - total.vTp + total.refS - total.sTp));
    std::printf("sim_ectopy_normal_called_ectopic: %lld beats\n", (long long)wrongN);
}

// Heap bytes in use and their peak, counted by this program's operator new:
// what the classifier allocates beyond what was there before it ran.
size_t g_HeapInUse = 0;
size_t g_HeapPeak = 0;

// A day of the synthetic recording: the pass with the precise detector, and
// the classifier alone over its beats, reading the samples from the file.
void TimeDay(const fs::path& folder)
{
    const std::string path = (folder / "day.экг").string();
    if (!WriteBenchRecording(path, kBenchDaySectors)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return;
    }
    auto file = std::make_unique<OEcgFile>();
    auto filter = std::make_unique<OEKGFilter>();
    filter->OverrideDetector(kDetectorPrecise);
    if (!file->OpenEcgFile(path, true))
        return;
    OProcessControl control;
    const double passStart = ThreadCpuSeconds();
    ProcessFile(*file, *filter, control);
    const double pass = ThreadCpuSeconds() - passStart;
    const int64_t count = file->ImpulseInfo().Count();
    std::vector<OImpulse> beats(file->ImpulseInfo().Data(), file->ImpulseInfo().Data() + count);

    const size_t heapBefore = g_HeapInUse;
    g_HeapPeak = g_HeapInUse;
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const double start = ThreadCpuSeconds();
        ClassifyBeats(beats.data(), count, FileSampleSource(*file));
        best = std::min(best, ThreadCpuSeconds() - start);
    }
    const size_t heapExtra = g_HeapPeak - heapBefore;
    std::printf("day_beats: %lld beats\n", (long long)count);
    std::printf("pass_24h_s: %.3f s\n", pass);
    std::printf("classify_24h_s: %.3f s\n", best);
    std::printf("classify_24h_peak_heap_mb: %.1f MB\n", double(heapExtra) / (1 << 20));
    int64_t normal = 0;
    for (const OImpulse& b : beats)
        normal += b.Class == kBeatNormal;
    std::printf("day_normal_pct: %.2f %%\n", 100.0 * double(normal) / double(std::max<int64_t>(count, 1)));
}

} // namespace

// Each block carries its size in front, so that delete can count it off.
void* operator new(size_t bytes)
{
    void* block = std::malloc(bytes + 16);
    if (!block)
        throw std::bad_alloc();
    *static_cast<size_t*>(block) = bytes;
    g_HeapInUse += bytes;
    g_HeapPeak = std::max(g_HeapPeak, g_HeapInUse);
    return static_cast<char*>(block) + 16;
}
void operator delete(void* p) noexcept
{
    if (!p)
        return;
    void* block = static_cast<char*>(p) - 16;
    g_HeapInUse -= *static_cast<size_t*>(block);
    std::free(block);
}
void operator delete(void* p, size_t) noexcept
{
    operator delete(p);
}

int main(int argc, char** argv)
{
    Console().SetOutput(-1);
    const fs::path shared = argc > 1 ? fs::path(argv[1]) : fs::path(BRENNA_ECG_RECORDS);
    const fs::path folder = fs::temp_directory_path() / "brenna-bench-classification";
    fs::create_directories(folder);
    OSettings::SetStorageFolder((folder / "settings").string()); // defaults

    // Options after the folder leave parts out: --no-records, --no-sim, --no-day.
    auto without = [&](const std::string& part) { return std::find(argv + 2, argv + argc, part) != argv + argc; };
    const std::vector<ORecord> records =
        without("--no-records") ? std::vector<ORecord>{} : LabelledRecords(shared, BRENNA_UNPACKED_RECORDS);
    if (records.empty() && !without("--no-records"))
        std::fprintf(stderr, "no labelled records in %s\n", shared.string().c_str());
    std::vector<std::pair<std::string, OClassScore>> rows;
    OClassScore gross, grossOutsideFlutter;
    for (const ORecord& record : records) {
        const OScores scores = Classify(record);
        const OClassScore& s = scores.all;
        grossOutsideFlutter.Add(scores.outsideFlutter);
        rows.emplace_back(record.name, s);
        gross.Add(s);
        std::printf("classes_%s_veb_se: %.2f %%\n", record.name.c_str(), s.VSe());
        std::printf("classes_%s_veb_pp: %.2f %%\n", record.name.c_str(), s.VPp());
        std::printf("classes_%s_sveb_se: %.2f %%\n", record.name.c_str(), s.SSe());
        std::printf("classes_%s_sveb_pp: %.2f %%\n", record.name.c_str(), s.SPp());
    }
    if (!records.empty()) {
        std::printf("classes_gross_veb_se: %.2f %%\n", gross.VSe());
        std::printf("classes_gross_veb_pp: %.2f %%\n", gross.VPp());
        std::printf("classes_gross_sveb_se: %.2f %%\n", gross.SSe());
        std::printf("classes_gross_sveb_pp: %.2f %%\n", gross.SPp());
        // Detections in ventricular flutter, where the records label no beats
        // (the reference has nothing to match there), apart.
        std::printf("classes_gross_outside_flutter_veb_se: %.2f %%\n", grossOutsideFlutter.VSe());
        std::printf("classes_gross_outside_flutter_veb_pp: %.2f %%\n", grossOutsideFlutter.VPp());
        PrintTable(rows, gross);
    }
    if (!without("--no-sim"))
        SimulatorEctopy(folder);
    if (!without("--no-day"))
        TimeDay(folder);
    fs::remove_all(folder);
    return 0;
}
