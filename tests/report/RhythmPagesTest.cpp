// The PDF's pages of ectopic activity and rhythm events, read back with
// pdftotext, from a report whose classes and events are made by hand.
#include "CliProgram.h"
#include "HolterReport.h"
#include "ReportPdf.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sys/wait.h>

namespace {

// The PDF's text on one line with single blanks, as a reader would search it.
std::string PdfText(const TempDir& dir, const std::string& pdf)
{
    const std::string command = "pdftotext -enc UTF-8 '" + dir.File(pdf) + "' '" + dir.File("text.txt") + "'";
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "(pdftotext failed)";
    std::string text;
    for (char c : ReadText(dir.File("text.txt")))
        if (!std::isspace(static_cast<unsigned char>(c)) || (!text.empty() && text.back() != ' '))
            text += std::isspace(static_cast<unsigned char>(c)) ? ' ' : c;
    return text;
}

int64_t Sample(double seconds)
{
    return std::llround(seconds * 976.5625);
}

// Twenty minutes at 75 bpm with a V beat every 20th beat, an AF episode
// and a VT run.
OReportInput Recording()
{
    OReportInput in;
    in.filePath = "/data/ЭКГ_2010_05_12, 14_30_05, 0x00010000.экг";
    in.start = RecordingStartFromName("ЭКГ_2010_05_12, 14_30_05, 0x00010000");
    in.durationS = 1200;
    for (double t = 400; t < in.durationS * 1000; t += 800)
        in.beats.push_back({t, 0, in.beats.size() % 20 == 10 ? kBeatVentricular : kBeatNormal});
    ORhythmSummary rhythm;
    rhythm.events = {{ORhythmKind::AF, Sample(200), Sample(260), 75, 104},
                     {ORhythmKind::VT, 500000, 501953, 4, 160}}; // from 512 s, sample-exact
    rhythm.analysedSeconds = 1200;
    rhythm.afSeconds = 60;
    in.rhythm = rhythm;
    in.samples = [](int64_t first, int64_t count) {
        std::vector<double> v(static_cast<size_t>(count));
        for (int64_t i = 0; i < count; ++i)
            v[size_t(i)] = 500 + 200 * std::sin(double(first + i) / 40);
        return v;
    };
    return in;
}

TEST(RhythmPages, EctopyAndRhythmSectionsAreInThePdf)
{
    TempDir dir;
    OReportControl control;
    const auto report = BuildHolterReport(Recording(), control);
    ASSERT_TRUE(report);
    std::string error;
    ASSERT_TRUE(WriteHolterPdf(*report, dir.File("r.pdf"), control, error)) << error;
    const std::string text = PdfText(dir, "r.pdf");
    for (const char* wanted :
         {"6. Эктопическая активность", "V — желудочковые эктопические", "Желудочковая эктопия: 5,00 % комплексов",
          "7. Нарушения ритма", "Бремя фибрилляции предсердий: 5,00 %", "Фибрилляция предсердий (AF) 1 0:01:00",
          "Желудочковая тахикардия (VT)", "160 уд/мин в 14:38:37", "без RR-интервалов во время фибрилляции",
          "ВСР — без фибрилляции предсердий (0:01:00)", "ФП: 60.0 с, 104 уд/мин — 14:33:25",
          "Классы комплексов (ANSI/AAMI EC57)"})
        EXPECT_NE(text.find(wanted), std::string::npos) << wanted;
    // Class letters under the beats of the strips: V among the N (pdftotext
    // orders the small letters by its own lights, so they are counted).
    const std::string strips = text.substr(std::min(text.size(), text.find("Фрагменты ЭКГ по 10 с: первое")));
    const auto tokens = [&](const std::string& token) {
        int64_t n = 0;
        for (size_t at = strips.find(" " + token + " "); at != std::string::npos;
             at = strips.find(" " + token + " ", at + 1))
            ++n;
        return n;
    };
    EXPECT_GE(tokens("V"), 1) << strips.substr(0, 2000);
    EXPECT_GE(tokens("N"), 15);
}

} // namespace
