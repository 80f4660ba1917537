#include "EctopyRecording.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

OEcgRhythm EctopySchedule(double seconds, double bpm)
{
    const double runBpm = std::max(150.0, 1.3 * bpm);
    const double afBpm = std::max(90.0, 1.2 * bpm);
    OEcgRhythm rhythm;
    rhythm.pvcPerMinute = 6;
    rhythm.apcPerMinute = 6;
    rhythm.episodes = {
        {OEcgPattern::Couplet, 0.40 * seconds, 0, 0, 0},
        {OEcgPattern::VtRun, 0.47 * seconds, 5, runBpm, 0},
        {OEcgPattern::Bigeminy, 0.54 * seconds, 5, 0, 0},
        {OEcgPattern::Trigeminy, 0.61 * seconds, 4, 0, 0},
        {OEcgPattern::SvtRun, 0.68 * seconds, 5, runBpm, 0},
        {OEcgPattern::Af, 0.74 * seconds, 0, afBpm, 0.22 * seconds},
    };
    return rhythm;
}

std::optional<OEcgTruth> WriteRhythmRecording(const std::string& path, const ORecordingOptions& options, double seconds)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return std::nullopt;
    ORecordingWriter writer(options);
    const int64_t count =
        std::max<int64_t>(1, std::llround(seconds * OEcgModel::kSampleRate / ORecordingWriter::kSamplesPerSector));
    uint8_t sector[ORecordingWriter::kSectorBytes];
    bool ok = true;
    for (int64_t i = 0; i < count && ok; ++i) {
        writer.NextSector(sector);
        ok = std::fwrite(sector, sizeof sector, 1, file) == 1;
    }
    if (std::fclose(file) != 0 || !ok)
        return std::nullopt;
    return writer.Truth();
}

std::optional<OEcgTruth> WriteEctopyRecording(const std::string& path, double bpm, double minutes, uint32_t seed)
{
    ORecordingOptions options;
    options.ecg.bpm = bpm;
    options.ecg.seed = seed;
    options.ecg.rhythm = EctopySchedule(60 * minutes, bpm);
    return WriteRhythmRecording(path, options, 60 * minutes);
}
