// The EDF+ export read back through EDFlib's own reader: samples, per-sector
// values against the text export, beat marks, start time, padding.
#include "AnalysisFixtures.h"
#include "DateCache.h"
#include "EcgCalibration.h"
#include "EdfStartDate.h"
#include "EcgTime.h"
#include "EdfBeatMarks.h"
#include "EdfExport.h"
#include "EdfTestRecording.h"
#include "ExportSeries.h"
#include "ProcessFile.h"
#include "SectorDecoders.h"
#include "TempDir.h"
#include "TestDialogs.h"

#include <edflib.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

namespace {

// A whole EDF+ file as EDFlib reads it.
struct OEdfFile {
    std::unique_ptr<edf_hdr_struct> hdr = std::make_unique<edf_hdr_struct>();
    std::vector<edf_annotation_struct> annotations;
    std::vector<std::vector<int>> digital;
    std::vector<std::vector<double>> physical;
};

OEdfFile ReadEdf(const std::string& path)
{
    OEdfFile f;
    EXPECT_EQ(edfopen_file_readonly(path.c_str(), f.hdr.get(), EDFLIB_READ_ALL_ANNOTATIONS), 0) << path;
    const int h = f.hdr->handle;
    for (long long i = 0; i < f.hdr->annotations_in_file; ++i) {
        edf_annotation_struct a{};
        edf_get_annotation(h, int(i), &a);
        f.annotations.push_back(a);
    }
    for (int s = 0; s < f.hdr->edfsignals; ++s) {
        const int n = int(f.hdr->signalparam[s].smp_in_file);
        f.digital.emplace_back(size_t(n));
        f.physical.emplace_back(size_t(n));
        EXPECT_EQ(edfread_digital_samples(h, s, n, f.digital.back().data()), n);
        edfrewind(h, s);
        EXPECT_EQ(edfread_physical_samples(h, s, n, f.physical.back().data()), n);
    }
    edfclose_file(h);
    return f;
}

std::vector<std::vector<double>> ReadTable(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        rows.emplace_back();
        for (double v; fields >> v;)
            rows.back().push_back(v);
    }
    return rows;
}

double Resolution(const edf_param_struct& p)
{
    return (p.phys_max - p.phys_min) / (p.dig_max - p.dig_min);
}

class EdfRoundTrip : public testing::Test {
protected:
    void SetUp() override { UseFreshSettings(); }
    TempDir dir;
    TestDialogs dialogs;
    OProcessControl control;
};

// 61 sectors: twelve whole data records and one padded with four copies.
TEST_F(EdfRoundTrip, EveryValueAndMarkComesBackAsWritten)
{
    OProcessedRecording r = MakeProcessedRecording(dir.Path(), kDatedName, 61);
    ASSERT_GT(r.file->ImpulseInfo().Count(), 10);
    OEdfExportOptions options;
    options.derived = true;
    const std::string out = dir.File("rec.edf");
    const OEdfExportResult result = ExportEdf(*r.file, out, options, control);
    ASSERT_TRUE(result.Ok()) << result.message;
    EXPECT_FALSE(result.dateUnknown);
    ASSERT_TRUE(ExportDerivedSeries(*r.file));

    const OEdfFile f = ReadEdf(out);
    ASSERT_EQ(f.hdr->filetype, EDFLIB_FILETYPE_EDFPLUS);
    ASSERT_EQ(f.hdr->edfsignals, 8);
    EXPECT_EQ(f.hdr->datarecords_in_file, 13);
    EXPECT_EQ(f.hdr->datarecord_duration, 11980800); // 1.19808 s in 100 ns
    EXPECT_EQ(std::vector<int>({f.hdr->startdate_year, f.hdr->startdate_month, f.hdr->startdate_day,
                                f.hdr->starttime_hour, f.hdr->starttime_minute, f.hdr->starttime_second}),
              std::vector<int>({2010, 5, 12, 14, 30, 5}));
    const char* labels[] = {"ECG",     "Temperature", "Accel X",      "Accel Y",
                            "Accel Z", "CCP1",        "ECG filtered", "Pulse rate"};
    const int perRecord[] = {1170, 5, 5, 5, 5, 5, 1170, 5};
    for (int s = 0; s < 8; ++s) {
        EXPECT_EQ(std::string(f.hdr->signalparam[s].label).substr(0, std::strlen(labels[s])), labels[s]);
        EXPECT_EQ(f.hdr->signalparam[s].smp_in_datarecord, perRecord[s]) << labels[s];
    }
    EXPECT_STREQ(f.hdr->signalparam[0].physdimension, "counts  "); // not calibrated: no millivolts

    // ECG: the stored words, and their physical value is the word itself.
    const int64_t n = r.file->SectorCount();
    for (int64_t k = 0; k < 65; ++k)
        for (int j = 0; j < kSamplesPerSector; ++j) {
            const int64_t i = k * kSamplesPerSector + j;
            const int stored =
                k < n ? SectorSample(r.file->Sector(k), j) : SectorSample(r.file->Sector(n - 1), kSamplesPerSector - 1);
            ASSERT_EQ(f.digital[0][size_t(i)], stored) << "sample " << i;
            ASSERT_NEAR(f.physical[0][size_t(i)], stored, 1e-6);
        }
    const OReferenceRun filtered = ReferenceFilterRun(*r.file, false);
    ASSERT_EQ(static_cast<int64_t>(filtered.filtered.size()), r.file->ProcessedN());
    for (int64_t i = 0; i < r.file->ProcessedN(); ++i)
        ASSERT_EQ(f.digital[6][size_t(i)], filtered.filtered[size_t(i)]) << "filtered sample " << i;

    // Per-sector signals: the text export's values at each sector's time.
    const auto accelerations = ReadTable(ExportFileName(r.path, " - ускор.txt"));
    const auto ccp = ReadTable(ExportFileName(r.path, " - CCP.txt"));
    const auto temperature = ReadTable(ExportFileName(r.path, " - температура.txt"));
    ASSERT_EQ(int64_t(accelerations.size()), n);
    ASSERT_FALSE(ccp.empty());
    ASSERT_FALSE(temperature.empty());
    size_t point = 0;
    for (int64_t k = 0; k < n; ++k) {
        for (int axis = 0; axis < 3; ++axis)
            ASSERT_NEAR(f.physical[size_t(2 + axis)][size_t(k)], accelerations[size_t(k)][size_t(1 + axis)],
                        Resolution(f.hdr->signalparam[2 + axis]) / 2 + 1e-6)
                << "sector " << k;
        const auto& c = ccp[std::min(size_t(k), ccp.size() - 1)];
        ASSERT_NEAR(f.physical[5][size_t(k)], c[1], Resolution(f.hdr->signalparam[5]) / 2 + 1e-6) << k;
        while (point + 1 < temperature.size() && temperature[point + 1][0] <= k * kSectorDuration + 1e-6)
            ++point;
        ASSERT_NEAR(f.physical[1][size_t(k)], temperature[point][1], Resolution(f.hdr->signalparam[1]) / 2 + 1e-6) << k;
    }
    EXPECT_LT(Resolution(f.hdr->signalparam[1]), 1e-3); // whole degrees around the values

    // One mark per impulse at its sample time, then the real end.
    const auto& impulses = r.file->ImpulseInfo();
    ASSERT_EQ(int64_t(f.annotations.size()), impulses.Count() + 1);
    for (int64_t i = 0; i < impulses.Count(); ++i) {
        const auto& a = f.annotations[size_t(i)];
        EXPECT_NEAR(a.onset * 1e-7, impulses[i].Pos * kSamplePeriod, 1e-4) << i;
        // The class letter once the classifier has run, "R" before; "?" when flagged.
        const std::string mark = impulses[i].Class != kBeatUnclassified ? std::string(1, impulses[i].Class) : "R";
        EXPECT_EQ(a.annotation, mark + (impulses[i].Flags ? "?" : "")) << i;
    }
    EXPECT_STREQ(f.annotations.back().annotation, "Recording ends");
    EXPECT_NEAR(f.annotations.back().onset * 1e-7, n * kSectorDuration, 1e-4);
}

// Classes set by hand on a processed recording (the classifier's own tests
// judge the classes) and events made by hand, three of them starting in the
// record of the recording's end: every mark comes back, the events with
// their durations.
TEST_F(EdfRoundTrip, ClassLettersAndRhythmEventsComeBack)
{
    OProcessedRecording r = MakeProcessedRecording(dir.Path(), kDatedName, 61);
    const int64_t count = r.file->ImpulseInfo().Count();
    ASSERT_GT(count, 10);
    // The test owns the file; the analysis fills this array in a pass.
    OImpulse* impulses = const_cast<OImpulse*>(r.file->ImpulseInfo().Data());
    const char classes[] = {kBeatNormal, kBeatSupra, kBeatVentricular, kBeatFusion, kBeatUnknown, kBeatUnclassified};
    for (int64_t i = 0; i < count; ++i)
        impulses[i].Class = classes[i % 6];
    impulses[2].Flags |= kImpulseDoubtful;

    const int64_t end = 61 * kSamplesPerSector;
    OEdfExportOptions options;
    options.events = std::vector<ORhythmEvent>{
        {ORhythmKind::AF, 100, 9866, 12, 84.5}, // 0.1 .. 10.1 s
        {ORhythmKind::Couplet, end - 900, end - 700, 2, 0},
        {ORhythmKind::VT, end - 800, end - 100, 4, 150},
        {ORhythmKind::Pause, end - 600, end - 10, 2, 25},
    };
    const std::string out = dir.File("rec.edf");
    const OEdfExportResult result = ExportEdf(*r.file, out, options, control);
    ASSERT_TRUE(result.Ok()) << result.message;
    EXPECT_EQ(result.eventMarks, 4);
    EXPECT_NE(result.message.find("событий ритма: 4"), std::string::npos) << result.message;

    const OEdfFile f = ReadEdf(out);
    ASSERT_EQ(int64_t(f.annotations.size()), count + 4 + 1);
    std::vector<const edf_annotation_struct*> beats, events;
    for (const auto& a : f.annotations) {
        const std::string text = a.annotation;
        if (text == "Recording ends")
            continue;
        (text.size() <= 2 && a.duration_l < 0 ? beats : events).push_back(&a);
    }
    ASSERT_EQ(int64_t(beats.size()), count);
    for (int64_t i = 0; i < count; ++i) {
        EXPECT_NEAR(beats[size_t(i)]->onset * 1e-7, impulses[i].Pos * kSamplePeriod, 1e-4) << i;
        const std::string letter = classes[i % 6] ? std::string(1, classes[i % 6]) : std::string("R");
        EXPECT_EQ(beats[size_t(i)]->annotation, letter + (impulses[i].Flags ? "?" : "")) << i;
    }
    EXPECT_STREQ(beats[2]->annotation, "V?");
    ASSERT_EQ(events.size(), 4u);
    const char* kinds[] = {"AF", "COUPLET", "VT", "PAUSE"};
    for (size_t e = 0; e < 4; ++e) {
        const ORhythmEvent& want = (*options.events)[e];
        EXPECT_STREQ(events[e]->annotation, kinds[e]);
        EXPECT_NEAR(events[e]->onset * 1e-7, want.startSample * kSamplePeriod, 1e-4) << kinds[e];
        EXPECT_NEAR(events[e]->duration_l * 1e-7, (want.endSample - want.startSample) * kSamplePeriod, 1e-4)
            << kinds[e];
    }
}

TEST_F(EdfRoundTrip, CalibratedEcgIsInMillivoltsAndUnknownDateIsSaid)
{
    EcgCalibration::SaveUnitsPerMillivolt(1000);
    OProcessedRecording r = MakeProcessedRecording(dir.Path(), "ЭКГ_0x00010000.экг", 10);
    OEdfExportOptions options;
    options.unitsPerMillivolt = EcgCalibration::LoadUnitsPerMillivolt();
    options.annotations = false;
    options.patient = "Иванов Пётр";
    const std::string out = dir.File("rec.edf");
    const OEdfExportResult result = ExportEdf(*r.file, out, options, control);
    ASSERT_TRUE(result.Ok()) << result.message;
    EXPECT_TRUE(result.dateUnknown);
    EXPECT_NE(result.message.find("Дата начала записи неизвестна"), std::string::npos) << result.message;

    const OEdfFile f = ReadEdf(out);
    EXPECT_EQ(f.hdr->edfsignals, 6);
    EXPECT_STREQ(f.hdr->signalparam[0].physdimension, "mV      ");
    for (int j = 0; j < kSamplesPerSector; ++j) {
        ASSERT_EQ(f.digital[0][size_t(j)], SectorSample(r.file->Sector(0), j));
        ASSERT_NEAR(f.physical[0][size_t(j)], SectorSample(r.file->Sector(0), j) / 1000.0, 1e-6);
    }
    EXPECT_EQ(f.hdr->startdate_year, 1985);
    EXPECT_EQ(f.hdr->startdate_month, 1);
    EXPECT_EQ(f.hdr->startdate_day, 1);
    EXPECT_NE(std::string(f.hdr->patient_name).find("Ivanov"), std::string::npos) << f.hdr->patient_name;
    ASSERT_EQ(f.annotations.size(), 1u); // only the end
    EXPECT_STREQ(f.annotations[0].annotation, "Recording ends");
}

// The recording's first sector finds its start in the date cache when the
// file's name has none.
TEST_F(EdfRoundTrip, DateCacheGivesTheStartWhenTheNameHasNone)
{
    SetDateCacheFolders(dir.File("cache"), dir.File("cache2"));
    const ORecordingStart day = StartFromFileTime(130000000000000000LL); // a day in 2012
    ASSERT_TRUE(day.known);
    ORecordingOptions options;
    options.firstSector = 0x20000;
    ASSERT_TRUE(WriteDateCache(0x20000, 130000000000000000LL, 0x20000));
    OProcessedRecording r = MakeProcessedRecording(dir.Path(), "без даты.экг", 6, options);
    const std::string out = dir.File("rec.edf");
    const OEdfExportResult result = ExportEdf(*r.file, out, {}, control);
    SetDateCacheFolders("", "");
    ASSERT_TRUE(result.Ok()) << result.message;
    EXPECT_FALSE(result.dateUnknown);
    const OEdfFile f = ReadEdf(out);
    EXPECT_EQ(std::vector<int>({f.hdr->startdate_year, f.hdr->startdate_month, f.hdr->startdate_day,
                                f.hdr->starttime_hour, f.hdr->starttime_minute, f.hdr->starttime_second}),
              std::vector<int>({day.year, day.month, day.day, day.hours, day.minutes, day.seconds}));

    // 1 January 1601 plus whole days and seconds, as the date cache counts.
    const ORecordingStart known = StartFromFileTime((153402LL * 86400 + 14 * 3600 + 30 * 60 + 5) * 10000000);
    EXPECT_EQ(known.Text(), "2021.01.01, 14:30:05");
    EXPECT_FALSE(StartFromFileTime(0).known);
}

// A tachycardia of 300 bpm puts six beats into one data record.
TEST_F(EdfRoundTrip, DenseBeatsAllReachTheFile)
{
    StoreParam("m_FPulseMax", 600);
    ORecordingOptions options;
    options.ecg.bpm = 300;
    options.ecg.variability = 0;
    OProcessedRecording r = MakeProcessedRecording(dir.Path(), kDatedName, 100, options);
    const auto& impulses = r.file->ImpulseInfo();
    ASSERT_GE(impulses.Count(), 90); // the array holds one impulse per sector on average
    const int needed = EdfAnnotationSignalsNeeded(impulses.Data(), impulses.Count(), r.file->SectorCount());
    EXPECT_GE(needed, 6);

    const std::string out = dir.File("rec.edf");
    const OEdfExportResult result = ExportEdf(*r.file, out, {}, control);
    ASSERT_TRUE(result.Ok()) << result.message;
    const OEdfFile f = ReadEdf(out);
    ASSERT_EQ(int64_t(f.annotations.size()), impulses.Count() + 1);
    for (int64_t i = 0; i < impulses.Count(); ++i)
        ASSERT_NEAR(f.annotations[size_t(i)].onset * 1e-7, impulses[i].Pos * kSamplePeriod, 1e-4) << i;
}

TEST(EdfBeatMarks, AnnotationSignalsFollowTheDensestRecord)
{
    auto impulses = [](std::vector<int32_t> positions) {
        std::vector<OImpulse> out;
        for (int32_t p : positions)
            out.push_back({p, 0, 0, 0});
        return out;
    };
    struct Case {
        std::vector<int32_t> positions;
        int64_t sectors;
        int expected;
        std::vector<int64_t> eventStarts = {};
    };
    const Case cases[] = {
        {{}, 1, 1},                              // only the end mark
        {{10, 1200, 2400}, 20, 1},               // one beat per record
        {{10, 200, 400, 600, 800, 1000}, 20, 6}, // six in the first record
        {{10, 200, 1100}, 5, 4},                 // the end mark shares the last record
        {{1169, 1170}, 10, 2},                   // 1170 lies just past the edge: its own record
        // Events count where they start, beside the beats of that record.
        {{10, 1200, 2400}, 20, 3, {1300, 2000}},
        {{10, 200, 400, 600, 800, 1000}, 20, 8, {5, 1100}},
        {{10, 2400}, 20, 1, {1300}},    // alone in its record
        {{10, 200}, 5, 5, {300, 1160}}, // with the beats and the end in the only record
    };
    for (const Case& c : cases) {
        const auto list = impulses(c.positions);
        std::vector<ORhythmEvent> events;
        for (int64_t start : c.eventStarts)
            events.push_back({ORhythmKind::Couplet, start, start + 300, 2, 120});
        EXPECT_EQ(EdfAnnotationSignalsNeeded(list.data(), int64_t(list.size()), c.sectors, events), c.expected)
            << c.positions.size() << " impulses, " << events.size() << " events, " << c.sectors << " sectors";
    }
}

TEST(EdfBeatMarks, BeatTextIsTheClassLetterWithTheFlag)
{
    const struct {
        char beatClass;
        uint8_t flags;
        const char* text;
    } cases[] = {
        {kBeatUnclassified, 0, "R"},
        {kBeatUnclassified, kImpulseDoubtful, "R?"},
        {kBeatNormal, 0, "N"},
        {kBeatNormal, kImpulseEdge, "N?"},
        {kBeatSupra, 0, "S"},
        {kBeatSupra, kImpulseNeighbour, "S?"},
        {kBeatVentricular, 0, "V"},
        {kBeatVentricular, kImpulseDefective, "V?"},
        {kBeatFusion, 0, "F"},
        {kBeatFusion, kImpulseDoubtful, "F?"},
        {kBeatUnknown, 0, "Q"},
        {kBeatUnknown, kImpulseDoubtful, "Q?"},
        {'x', 0, "R"}, // not a class: as unclassified
    };
    for (const auto& c : cases) {
        OImpulse impulse{100, c.flags, 0, 0};
        impulse.Class = c.beatClass;
        EXPECT_STREQ(EdfBeatText(impulse), c.text) << int(c.beatClass) << " flags " << int(c.flags);
    }
}

} // namespace

namespace {

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

// The command line's pass leaves the CCP1 frequencies out and the export
// computes them as it writes: the file must not differ by a byte, also where
// the pass keeps no pairs at all (under five sectors) and in the padding.
TEST_F(EdfRoundTrip, CcpComputedWhileWritingEqualsThePassOwn)
{
    for (const int64_t sectors : {3, 4, 5, 6, 61}) {
        SCOPED_TRACE(sectors);
        OProcessedRecording kept = MakeProcessedRecording(dir.Path(), kDatedName, sectors);
        const std::string withPairs = dir.File("kept.edf");
        ASSERT_TRUE(ExportEdf(*kept.file, withPairs, {}, control).Ok());

        OPassOutputs outputs;
        outputs.frequencies = false;
        ProcessFile(*kept.file, *kept.filter, control, outputs);
        ASSERT_TRUE(kept.file->FrequenciesLeftOut());
        ASSERT_EQ(kept.file->FMs().Count(), 0);
        const std::string computed = dir.File("computed.edf");
        ASSERT_TRUE(ExportEdf(*kept.file, computed, {}, control).Ok());

        const std::string a = FileBytes(withPairs), b = FileBytes(computed);
        ASSERT_FALSE(a.empty());
        EXPECT_TRUE(a == b);
    }
}
