// R-peak detection of both detectors scored against reference beats: the
// MIT-BIH records of ../shared/ecg-records (or the folder given as the first
// argument), the demo card's recordings with their truth and clean simulator
// recordings. A detection matches a beat at most 150 ms away, one to one.
// Also the time the precise detector takes for 24 hours of samples.
#include "DemoCard.h"
#include "DetectorKind.h"
#include "EcgTime.h"
#include "OConsole.h"
#include "OEcgFile.h"
#include "OPreciseDetector.h"
#include "OSettings.h"
#include "OSimCard.h"
#include "ProcessFile.h"
#include "RecordingWriter.h"
#include "SectorDecoders.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int64_t kTolerance = 146; // 150 ms

struct OScore {
    int64_t tp = 0, fn = 0, fp = 0;
    void Add(const OScore& o)
    {
        tp += o.tp;
        fn += o.fn;
        fp += o.fp;
    }
    double Se() const { return 100.0 * tp / double(std::max<int64_t>(tp + fn, 1)); }
    double Pp() const { return 100.0 * tp / double(std::max<int64_t>(tp + fp, 1)); }
    double F1() const { return 200.0 * tp / double(std::max<int64_t>(2 * tp + fn + fp, 1)); }
};

// Each detection takes the nearest reference beat not yet taken.
OScore Score(const std::vector<int64_t>& truth, const std::vector<int64_t>& detected)
{
    std::vector<bool> used(truth.size(), false);
    OScore s;
    for (const int64_t d : detected) {
        auto it = std::lower_bound(truth.begin(), truth.end(), d - kTolerance);
        int64_t best = -1;
        for (; it != truth.end() && *it <= d + kTolerance; ++it) {
            const size_t i = size_t(it - truth.begin());
            if (!used[i] && (best < 0 || std::llabs(*it - d) < std::llabs(truth[size_t(best)] - d)))
                best = int64_t(i);
        }
        if (best >= 0) {
            used[size_t(best)] = true;
            ++s.tp;
        } else {
            ++s.fp;
        }
    }
    s.fn = int64_t(truth.size()) - s.tp;
    return s;
}

struct ORecord {
    std::string name;
    std::string path;
    std::vector<int64_t> truth;
};

struct OResult {
    OScore all, unflagged;
};

OResult Detect(const ORecord& record, int32_t detector)
{
    auto file = std::make_unique<OEcgFile>();
    auto filter = std::make_unique<OEKGFilter>();
    filter->OverrideDetector(detector);
    OResult r;
    if (!file->OpenEcgFile(record.path, true)) {
        std::fprintf(stderr, "cannot open %s\n", record.path.c_str());
        return r;
    }
    OProcessControl control;
    ProcessFile(*file, *filter, control);
    std::vector<int64_t> all, unflagged;
    for (int64_t i = 0; i < file->ImpulseInfo().Count(); ++i) {
        const OImpulse& p = file->ImpulseInfo()[i];
        all.push_back(p.Pos);
        if (p.Flags == 0)
            unflagged.push_back(p.Pos);
    }
    r.all = Score(record.truth, all);
    r.unflagged = Score(record.truth, unflagged);
    return r;
}

void Print(const std::string& prefix, const OResult& r)
{
    std::printf("%s_se: %.2f %%\n", prefix.c_str(), r.all.Se());
    std::printf("%s_pp: %.2f %%\n", prefix.c_str(), r.all.Pp());
    std::printf("%s_f1: %.2f %%\n", prefix.c_str(), r.all.F1());
    // What the pulse rate counts: the beats found without a flag.
    std::printf("%s_unflagged_se: %.2f %%\n", prefix.c_str(), r.unflagged.Se());
    std::printf("%s_unflagged_pp: %.2f %%\n", prefix.c_str(), r.unflagged.Pp());
}

std::vector<ORecord> SharedRecords(const fs::path& folder)
{
    std::vector<ORecord> records;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string file = entry.path().filename().string();
        const std::string suffix = ".экг";
        if (file.size() <= suffix.size() || file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        ORecord r;
        r.name = file.substr(0, file.size() - suffix.size());
        r.path = entry.path().string();
        std::ifstream ref(folder / (r.name + ".ref.txt"));
        for (int64_t beat; ref >> beat;)
            r.truth.push_back(beat);
        if (!r.truth.empty())
            records.push_back(std::move(r));
    }
    std::sort(records.begin(), records.end(), [](const ORecord& a, const ORecord& b) { return a.name < b.name; });
    return records;
}

// The demo card's recordings that hold beats, each cut out into a file.
std::vector<ORecord> DemoRecords(const fs::path& folder)
{
    const std::string card = (folder / "demo.card").string();
    std::string error;
    DemoLayout layout;
    if (!OSimCard::Create(card, 64ull << 20, error) || !WriteDemoCard(card, layout, error)) {
        std::fprintf(stderr, "demo card: %s\n", error.c_str());
        return {};
    }
    std::vector<ORecord> records;
    std::ifstream in(card, std::ios::binary);
    for (size_t i = 0; i < layout.recordings.size(); ++i) {
        const DemoRecording& d = layout.recordings[i];
        if (d.rPeaks.size() < 10)
            continue;
        std::vector<char> bytes(size_t(d.last - d.first + 1) * kSectorBytes);
        in.seekg(std::streamoff(d.first) * kSectorBytes);
        in.read(bytes.data(), std::streamsize(bytes.size()));
        ORecord r;
        r.name = "demo" + std::to_string(i + 1);
        r.path = (folder / (r.name + ".экг")).string();
        std::ofstream(r.path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        r.truth = d.rPeaks;
        records.push_back(std::move(r));
    }
    return records;
}

// Clean simulator recordings of five minutes over the range of rates, and one
// upside down (the QRS pointing down).
std::vector<ORecord> SimRecords(const fs::path& folder)
{
    std::vector<ORecord> records;
    const struct {
        double bpm;
        bool inverted;
    } cases[] = {{40, false}, {70, false}, {120, false}, {180, false}, {90, true}};
    for (const auto& c : cases) {
        ORecordingOptions options;
        options.ecg.bpm = c.bpm;
        options.ecg.seed = uint32_t(c.bpm) + (c.inverted ? 1000 : 0);
        if (c.inverted)
            options.ecg.rAmplitude = -options.ecg.rAmplitude;
        ORecordingWriter writer(options);
        const std::vector<uint8_t> bytes = writer.Sectors(1252);
        ORecord r;
        r.name = "sim" + std::to_string(int(c.bpm)) + (c.inverted ? "inv" : "");
        r.path = (folder / (r.name + ".экг")).string();
        std::ofstream(r.path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        r.truth = writer.RPeaks();
        records.push_back(std::move(r));
    }
    return records;
}

double ThreadCpuSeconds()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec * 1e-9;
}

// The precise detector alone over 24 hours of samples (a record repeated),
// sector by sector as the pass hands them over.
void TimePrecise(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const int64_t sectors = int64_t(bytes.size()) / kSectorBytes;
    if (sectors == 0)
        return;
    std::vector<double> samples(size_t(sectors) * kSamplesPerSector);
    for (int64_t s = 0; s < sectors; ++s)
        for (int i = 0; i < kSamplesPerSector; ++i)
            samples[size_t(s * kSamplesPerSector + i)] = SectorSample(bytes.data() + s * kSectorBytes, i);
    const int64_t total = int64_t(kSampleRate * 86400);
    std::vector<OImpulse> impulses(size_t(total / kSamplesPerSector));
    auto detector = std::make_unique<OPreciseDetector>();
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        detector->Start(impulses.data(), int64_t(impulses.size()));
        const double start = ThreadCpuSeconds();
        for (int64_t done = 0; done < total;) {
            const size_t at = size_t(done % int64_t(samples.size() - kSamplesPerSector));
            detector->Process(samples.data() + at, kSamplesPerSector);
            done += kSamplesPerSector;
        }
        detector->Finish();
        best = std::min(best, ThreadCpuSeconds() - start);
    }
    std::printf("precise_detector_24h_s: %.3f s\n", best);
}

} // namespace

int main(int argc, char** argv)
{
    Console().SetOutput(-1);
    const fs::path shared = argc > 1 ? fs::path(argv[1]) : fs::path(BRENNA_ECG_RECORDS);
    const fs::path folder = fs::temp_directory_path() / "brenna-bench-detection";
    fs::create_directories(folder);
    OSettings::SetStorageFolder((folder / "settings").string()); // defaults

    const std::vector<ORecord> shared_ = SharedRecords(shared);
    if (shared_.empty())
        std::fprintf(stderr, "no records in %s\n", shared.string().c_str());
    const std::vector<ORecord> demo = DemoRecords(folder);
    const std::vector<ORecord> sim = SimRecords(folder);

    for (const int32_t detector : {kDetectorStandard, kDetectorPrecise}) {
        const std::string name = std::string("detection_") + DetectorOptionName(detector);
        for (const auto* group : {&shared_, &demo, &sim}) {
            OResult total;
            double lowestF1 = 100;
            for (const ORecord& record : *group) {
                const OResult r = Detect(record, detector);
                Print(name + "_" + record.name, r);
                total.all.Add(r.all);
                total.unflagged.Add(r.unflagged);
                lowestF1 = std::min(lowestF1, r.all.F1());
            }
            if (group->empty())
                continue;
            const std::string label = group == &shared_ ? "records" : group == &demo ? "demo" : "sim";
            Print(name + "_" + label + "_total", total);
            std::printf("%s_%s_lowest_f1: %.2f %%\n", name.c_str(), label.c_str(), lowestF1);
        }
    }
    if (!shared_.empty())
        TimePrecise(shared_.front().path);
    fs::remove_all(folder);
    return 0;
}
