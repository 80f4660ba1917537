#include "ReportFigures.h"
#include "ReportPages.h"

#include <QColor>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMmPerS = 25;
constexpr double kRowS = 5;       // a 10-second strip is drawn as two rows
constexpr double kStripRowH = 30; // mm
constexpr double kMmPerMv = 10;

// Paper: 1 mm lines, heavier every 5 mm.
void Paper(OReportCanvas& c, double x, double y, double w, double h)
{
    const QColor minor(250, 200, 200), major(235, 140, 140);
    for (int i = 0; i <= static_cast<int>(std::round(w)); ++i)
        c.Line(x + i, y, x + i, y + h, i % 5 ? minor : major, i % 5 ? 0.08 : 0.18);
    for (int i = 0; i <= static_cast<int>(std::round(h)); ++i)
        c.Line(x, y + i, x + w, y + i, i % 5 ? minor : major, i % 5 ? 0.08 : 0.18);
}

// Device units per millimetre of height: 10 mm/mV when calibrated,
// otherwise the strip's range fitted into a row.
double UnitsPerMm(const OHolterReport& r, const OStrip& s)
{
    if (r.info.unitsPerMillivolt > 0)
        return r.info.unitsPerMillivolt / kMmPerMv;
    if (s.ecg.empty())
        return 1;
    std::vector<float> sorted = s.ecg;
    std::sort(sorted.begin(), sorted.end());
    const double lo = sorted[sorted.size() / 500], hi = sorted[sorted.size() - 1 - sorted.size() / 500];
    return std::max(1e-6, std::max(std::abs(lo), std::abs(hi)) / (kStripRowH / 2 - 2));
}

} // namespace

double DrawStrip(OReportCanvas& c, const OHolterReport& r, const OStrip& s, double y)
{
    QPainter& p = c.Painter();
    c.SetFont(9, true);
    p.setPen(Qt::black);
    c.Text(kMarginX, y, kContentW, 5,
           Q(s.title) + QStringLiteral(" — %1").arg(Q(ClockText(r, s.kind == "pause" ? s.eventTimeS : s.eventTimeS))));
    const double perMm = UnitsPerMm(r, s);
    c.SetFont(7);
    p.setPen(QColor(90, 90, 90));
    const QString scale =
        r.info.unitsPerMillivolt > 0
            ? QStringLiteral("25 мм/с, 10 мм/мВ")
            : QStringLiteral("25 мм/с, %1 ед./мм (не откалибровано)").arg(Num(perMm, perMm < 10 ? 1 : 0));
    c.Text(kMarginX, y, kContentW, 5, scale + QStringLiteral(", начало %1").arg(Q(ClockText(r, s.startS))),
           Qt::AlignRight | Qt::AlignVCenter);
    y += 6;
    const double rate = r.info.sampleRate;
    const double x0 = kMarginX + (kContentW - kRowS * kMmPerS) / 2;
    for (int row = 0; row < 2; ++row) {
        const double top = y + row * (kStripRowH + 3);
        const double mid = top + kStripRowH / 2;
        Paper(c, x0, top, kRowS * kMmPerS, kStripRowH);
        if (r.info.unitsPerMillivolt > 0) {
            // The 1 mV calibration pulse at the row's start.
            QPainterPath pulse;
            pulse.moveTo(c.P(x0 - 6, mid));
            pulse.lineTo(c.P(x0 - 5, mid));
            pulse.lineTo(c.P(x0 - 5, mid - kMmPerMv));
            pulse.lineTo(c.P(x0 - 2, mid - kMmPerMv));
            pulse.lineTo(c.P(x0 - 2, mid));
            pulse.lineTo(c.P(x0 - 1, mid));
            p.setPen(QPen(Qt::black, c.U(0.25)));
            p.setBrush(Qt::NoBrush);
            p.drawPath(pulse);
        }
        const size_t first = static_cast<size_t>(row * kRowS * rate);
        const size_t last = std::min(s.ecg.size(), static_cast<size_t>((row + 1) * kRowS * rate));
        QPainterPath trace;
        for (size_t i = first; i < last; ++i) {
            const double x = x0 + (i - first) / rate * kMmPerS;
            const double v = std::clamp(mid - s.ecg[i] / perMm, top, top + kStripRowH);
            i == first ? trace.moveTo(c.P(x, v)) : trace.lineTo(c.P(x, v));
        }
        p.setClipRect(c.R(x0, top, kRowS * kMmPerS, kStripRowH));
        p.setPen(QPen(Qt::black, c.U(0.22)));
        p.setBrush(Qt::NoBrush);
        p.drawPath(trace);
        // Beat marks with the RR interval before each beat.
        const double rowStart = s.startS + row * kRowS;
        for (size_t b = 0; b < s.beats.size(); ++b) {
            const double t = s.beats[b].timeS - rowStart;
            if (t < 0 || t >= kRowS)
                continue;
            const double x = x0 + t * kMmPerS;
            const QColor colour = s.beats[b].flagged ? QColor(210, 40, 40) : QColor(20, 60, 160);
            QPainterPath mark;
            mark.moveTo(c.P(x - 1, top + 0.3));
            mark.lineTo(c.P(x + 1, top + 0.3));
            mark.lineTo(c.P(x, top + 2));
            mark.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawPath(mark);
            if (s.beats[b].beatClass != kBeatUnclassified) {
                c.SetFont(6, true);
                p.setPen(s.beats[b].beatClass == kBeatNormal ? QColor(20, 60, 160) : QColor(210, 40, 40));
                c.Text(x - 2, top + 2, 4, 3, QString(QChar(s.beats[b].beatClass)), Qt::AlignCenter);
            }
            if (b > 0 && s.beats[b - 1].timeS >= rowStart) {
                const double rrMs = (s.beats[b].timeS - s.beats[b - 1].timeS) * 1000;
                const double left = x - rrMs / 1000 * kMmPerS;
                c.SetFont(6);
                p.setPen(colour);
                c.Text(left, top + kStripRowH - 4, x - left, 3.5, QString::number(std::lround(rrMs)), Qt::AlignCenter);
            }
        }
        p.setClipping(false);
        c.SetFont(6);
        p.setPen(QColor(90, 90, 90));
        c.Text(x0 + kRowS * kMmPerS + 1, top, 12, 4, QStringLiteral("%1 с").arg(Num(rowStart - s.startS, 0)));
    }
    return y + 2 * (kStripRowH + 3) + 2;
}

namespace {

double TableRow(OReportCanvas& c, double y, const QStringList& cells, const std::vector<double>& widths, bool bold)
{
    c.SetFont(8, bold);
    c.Painter().setPen(Qt::black);
    double x = kMarginX;
    for (int i = 0; i < cells.size(); ++i) {
        c.Text(x + 1, y, widths[size_t(i)] - 2, 5, cells[i]);
        x += widths[size_t(i)];
    }
    return y + 5;
}

} // namespace

void DrawEventPages(OReportCanvas& c, const OHolterReport& r)
{
    c.NewPage();
    double y = c.Heading(18, QStringLiteral("5. События"));
    const std::vector<double> widths = {45, 45, 90};
    c.SetFont(9.5, true);
    c.Text(kMarginX, y, kContentW, 5, QStringLiteral("Паузы (RR > 2 с): %1").arg(r.pauses.size()));
    y += 6;
    const auto longest = LongestPauses(r.pauses, 5);
    if (longest.empty()) {
        c.SetFont(8);
        c.Text(kMarginX + 1, y, kContentW, 5, QStringLiteral("Пауз нет."));
        y += 5;
    } else {
        y = TableRow(c, y, {QStringLiteral("Время"), QStringLiteral("Длительность, с"), QString()}, widths, true);
        for (const OPause& p : longest)
            y = TableRow(c, y, {Q(ClockText(r, p.timeS)), Num(p.rrMs / 1000, 2), QString()}, widths, false);
        if (r.pauses.size() > longest.size())
            y = TableRow(c, y, {QStringLiteral("… и ещё %1 (все — в JSON)").arg(r.pauses.size() - longest.size())},
                         {180}, false);
    }
    y += 3;
    c.SetFont(9.5, true);
    c.Text(kMarginX, y, kContentW, 5, QStringLiteral("Эпизоды брадикардии и тахикардии: %1").arg(r.episodes.size()));
    y += 6;
    if (r.episodes.empty()) {
        c.SetFont(8);
        c.Text(kMarginX + 1, y, kContentW, 5, QStringLiteral("Эпизодов нет."));
        y += 5;
    } else {
        y = TableRow(c, y, {QStringLiteral("Начало"), QStringLiteral("Минут"), QStringLiteral("Вид, крайняя ЧСС")},
                     widths, true);
        size_t shown = 0;
        for (const OEpisode& e : r.episodes) {
            if (++shown > 6) {
                y = TableRow(c, y, {QStringLiteral("… и ещё %1 (все — в JSON)").arg(r.episodes.size() - 6)}, {180},
                             false);
                break;
            }
            y = TableRow(c, y,
                         {Q(ClockText(r, e.firstMinute * 60.0)), QString::number(e.minutes),
                          (e.tachycardia ? QStringLiteral("тахикардия, до %1 уд/мин")
                                         : QStringLiteral("брадикардия, до %1 уд/мин"))
                              .arg(Num(e.extremeBpm, 0))},
                         widths, false);
        }
    }
    y += 4;
    c.SetFont(9.5, true);
    c.Text(kMarginX, y, kContentW, 5, QStringLiteral("Фрагменты ЭКГ по 10 с"));
    y += 7;
    if (r.strips.empty()) {
        c.SetFont(8);
        c.Text(kMarginX + 1, y, kContentW, 5,
               r.beatCount ? QStringLiteral("Нет событий для показа.") : QStringLiteral("Нет ни одного комплекса."));
        return;
    }
    for (const OStrip& s : r.strips) {
        if (y + kStripBlockH > kBottom) {
            c.NewPage();
            y = c.Heading(18, QStringLiteral("5. События (продолжение)"));
        }
        y = DrawStrip(c, r, s, y);
    }
}
