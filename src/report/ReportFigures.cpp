#include "ReportFigures.h"

#include "StrFormat.h"

#include <cmath>

namespace {

struct OReasons {
    std::string noNn, oneNn, noPair, onePair, noMinute, noSegment, oneSegment, noPsd;
};

OReasons Reasons(const OHolterReport& r)
{
    OReasons why;
    const bool shortRecording = r.info.durationS < kSegmentS;
    const std::string base = r.beatCount == 0      ? "не найдено ни одного комплекса"
                             : r.rr.empty()        ? "найден лишь один комплекс"
                             : r.time.nnCount == 0 ? "нет ни одного NN-интервала"
                                                   : "";
    const auto either = [&](const std::string& own) { return base.empty() ? own : base; };
    why.noNn = base;
    why.oneNn = either("нужно не менее двух NN-интервалов");
    why.noPair = either("нет ни одной пары соседних NN-интервалов");
    why.onePair = either("нужно не менее двух пар соседних NN-интервалов");
    why.noMinute = either("нет ни одной минуты с 30 с NN-интервалов");
    const std::string shortText = StrFormat("запись короче 5 минут (%s)", DurationText(r.info.durationS).c_str());
    why.noSegment = shortRecording ? shortText : either("нет ни одного 5-минутного отрезка с 150 с NN-интервалов");
    why.oneSegment = shortRecording ? shortText
                                    : either(StrFormat("нужно не менее двух 5-минутных отрезков с 150 с "
                                                       "NN-интервалов (есть %d)",
                                                       r.time.segmentsUsed));
    why.noPsd = shortRecording ? shortText : either("нет ни одного 5-минутного отрезка с 270 с NN-интервалов");
    return why;
}

} // namespace

std::string DurationText(double seconds)
{
    const int64_t s = static_cast<int64_t>(std::floor(std::max(0.0, seconds)));
    return StrFormat("%lld:%02d:%02d", static_cast<long long>(s / 3600), int(s / 60 % 60), int(s % 60));
}

std::string ClockText(const OHolterReport& report, double timeS)
{
    const ORecordingStart& start = report.info.start;
    double t = std::floor(std::max(0.0, timeS));
    if (start.known)
        t += start.hours * 3600 + start.minutes * 60 + start.seconds;
    const int64_t s = static_cast<int64_t>(t);
    if (!start.known)
        return "+" + DurationText(timeS);
    return StrFormat("%02d:%02d:%02d", int(s / 3600 % 24), int(s / 60 % 60), int(s % 60));
}

std::vector<OSummaryFigure> SummaryFigures(const OHolterReport& r)
{
    const OReasons why = Reasons(r);
    const auto figure = [](const char* key, const char* group, std::string label, const char* unit, int decimals,
                           const std::optional<double>& value, const std::string& missing) {
        return OSummaryFigure{key, group, std::move(label), unit, decimals, value, value ? std::string() : missing};
    };
    const char* hr = "Частота сердечных сокращений";
    const char* td = "Временной анализ";
    const char* fd = "Частотный анализ";
    const char* pc = "Диаграмма Пуанкаре";
    const auto& t = r.time;
    const auto& f = r.frequency;
    const std::string hrMinAt = r.hrMinMinute >= 0 ? " (" + ClockText(r, r.hrMinMinute * 60.0) + ")" : "";
    const std::string hrMaxAt = r.hrMaxMinute >= 0 ? " (" + ClockText(r, r.hrMaxMinute * 60.0) + ")" : "";
    return {
        figure("hr_min_bpm", hr, "ЧСС минимальная" + hrMinAt, "уд/мин", 0, r.hrMin, why.noMinute),
        figure("hr_mean_bpm", hr, "ЧСС средняя", "уд/мин", 0, r.hrMean, why.noMinute),
        figure("hr_max_bpm", hr, "ЧСС максимальная" + hrMaxAt, "уд/мин", 0, r.hrMax, why.noMinute),
        figure("mean_nn_ms", td, "Mean NN", "мс", 0, t.meanNn, why.noNn),
        figure("sdnn_ms", td, "SDNN", "мс", 1, t.sdnn, why.oneNn),
        figure("sdann_ms", td, "SDANN", "мс", 1, t.sdann, why.oneSegment),
        figure("sdnn_index_ms", td, "SDNN index", "мс", 1, t.sdnnIndex, why.noSegment),
        figure("rmssd_ms", td, "RMSSD", "мс", 1, t.rmssd, why.noPair),
        figure("pnn50_pct", td, "pNN50", "%", 1, t.pnn50, why.noPair),
        figure("hrv_triangular_index", td, "HRV triangular index", "", 1, t.triangularIndex, why.noNn),
        figure("vlf_ms2", fd, "VLF (0,0033–0,04 Гц)", "мс²", 0, f.vlf, why.noPsd),
        figure("lf_ms2", fd, "LF (0,04–0,15 Гц)", "мс²", 0, f.lf, why.noPsd),
        figure("hf_ms2", fd, "HF (0,15–0,40 Гц)", "мс²", 0, f.hf, why.noPsd),
        figure("lf_hf", fd, "LF/HF", "", 2, f.lfHf, f.hf ? std::string("мощность HF равна нулю") : why.noPsd),
        figure("sd1_ms", pc, "SD1", "мс", 1, t.sd1, why.onePair),
        figure("sd2_ms", pc, "SD2", "мс", 1, t.sd2, t.sd1 ? std::string("2 SDNN² < SD1²") : why.onePair),
    };
}
