#include "FrequencyDomain.h"
#include "ReportFigures.h"
#include "ReportPages.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

const QColor kNnColour(30, 60, 150);
const QColor kExcludedColour(210, 40, 40);

void NoData(OReportCanvas& c, const OPlotFrame& f, const QString& why)
{
    c.SetFont(8);
    c.Painter().setPen(QColor(120, 120, 120));
    c.Painter().drawText(c.R(f.Left() + 3, f.Top(), f.Width() - 6, f.Height()), Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("не вычисляется: ") + why);
    c.Painter().setPen(Qt::black);
}

void NnRange(const OHolterReport& r, double& lo, double& hi)
{
    lo = 2000, hi = 300;
    for (const ORrInterval& i : r.rr)
        if (i.nn) {
            lo = std::min(lo, i.rrMs);
            hi = std::max(hi, i.rrMs);
        }
    if (lo > hi) {
        lo = 300;
        hi = 2000;
    }
    NiceRange(lo, hi, 5);
}

// RR over time: each column of the plot draws the span of its NN intervals;
// excluded intervals are red marks, one per column and height step.
void Tachogram(OReportCanvas& c, const OHolterReport& r, double y)
{
    double lo, hi;
    NnRange(r, lo, hi);
    hi = std::max(hi, std::min(2400.0, hi + 200));
    OPlotFrame f(c, kMarginX + 18, y, kContentW - 20, 50, 0, std::max(60.0, r.info.durationS), lo, hi);
    const OTimeAxis axis = MakeTimeAxis(r, 12);
    f.Axes(axis.ticks, axis.label, NiceTicks(lo, hi, 5), [](double v) { return Num(v, 0); });
    f.Titles(axis.title, QStringLiteral("RR, мс"));
    if (r.rr.empty())
        return NoData(c, f, QStringLiteral("нет RR-интервалов"));
    const int columns = static_cast<int>(f.Width() * 4); // 0.25 mm each
    std::vector<double> low(columns, 1e300), high(columns, -1e300);
    std::map<std::pair<int, int>, double> excluded;
    for (const ORrInterval& i : r.rr) {
        const int col = std::clamp(static_cast<int>(i.timeS / f.X1() * columns), 0, columns - 1);
        if (i.nn) {
            low[col] = std::min(low[col], i.rrMs);
            high[col] = std::max(high[col], i.rrMs);
        } else {
            const double v = std::clamp(i.rrMs, lo, hi);
            excluded.emplace(std::make_pair(col, static_cast<int>((v - lo) / (hi - lo) * 200)), v);
        }
    }
    f.Clip(true);
    QPainter& p = c.Painter();
    p.setPen(QPen(kNnColour, c.U(0.25)));
    for (int col = 0; col < columns; ++col)
        if (low[col] <= high[col]) {
            const double x = f.MapX((col + 0.5) * f.X1() / columns);
            p.drawLine(QPointF(x, f.MapY(low[col]) + c.U(0.12)), QPointF(x, f.MapY(high[col]) - c.U(0.12)));
        }
    p.setPen(Qt::NoPen);
    p.setBrush(kExcludedColour);
    for (const auto& [key, v] : excluded)
        p.drawEllipse(QPointF(f.MapX((key.first + 0.5) * f.X1() / columns), f.MapY(v)), c.U(0.35), c.U(0.35));
    f.Clip(false);
    c.SetFont(7);
    p.setPen(kExcludedColour);
    c.Text(f.Left() + f.Width() - 60, y - 4.5, 60, 4,
           QStringLiteral("● исключённые интервалы: %1").arg(r.time.excludedCount), Qt::AlignRight | Qt::AlignVCenter);
    p.setPen(kNnColour);
    c.Text(f.Left(), y - 4.5, 60, 4, QStringLiteral("| NN-интервалы: %1").arg(r.time.nnCount));
    p.setPen(Qt::black);
}

void Histogram(OReportCanvas& c, const OHolterReport& r, double x, double y, double w, double h)
{
    double lo, hi;
    NnRange(r, lo, hi);
    std::map<int64_t, int64_t> bins;
    int64_t top = 0;
    for (const ORrInterval& i : r.rr)
        if (i.nn)
            top = std::max(top, ++bins[static_cast<int64_t>(std::floor(i.rrMs / kTriangularBinMs))]);
    double yHi = std::max<double>(top, 1);
    double yLo = 0;
    NiceRange(yLo, yHi, 4);
    OPlotFrame f(c, x, y, w, h, lo, hi, 0, yHi);
    f.Axes(
        NiceTicks(lo, hi, 4), [](double v) { return Num(v, 0); }, NiceTicks(0, yHi, 4),
        [](double v) { return Num(v, 0); });
    f.Titles(QStringLiteral("NN, мс (корзины 7,8125 мс)"), QStringLiteral("Число интервалов"));
    if (bins.empty())
        return NoData(c, f, QStringLiteral("нет NN-интервалов"));
    f.Clip(true);
    c.Painter().setPen(Qt::NoPen);
    c.Painter().setBrush(kNnColour);
    for (const auto& [bin, count] : bins) {
        const QPointF a = f.Map(bin * kTriangularBinMs, count), b = f.Map((bin + 1) * kTriangularBinMs, 0);
        c.Painter().drawRect(QRectF(a, b));
    }
    f.Clip(false);
}

// NN_(i+1) against NN_i for adjacent pairs, as a density image (a day has
// about 100,000 pairs: one image instead of as many dots).
void Poincare(OReportCanvas& c, const OHolterReport& r, double x, double y, double w, double h)
{
    double lo, hi;
    NnRange(r, lo, hi);
    OPlotFrame f(c, x, y, w, h, lo, hi, lo, hi);
    f.Axes(
        NiceTicks(lo, hi, 4), [](double v) { return Num(v, 0); }, NiceTicks(lo, hi, 4),
        [](double v) { return Num(v, 0); });
    f.Titles(QStringLiteral("NN(i), мс"), QStringLiteral("NN(i+1), мс"));
    const int size = 360;
    std::vector<int> density(size * size, 0);
    int pairs = 0;
    for (size_t i = 1; i < r.rr.size(); ++i)
        if (r.rr[i].nn && r.rr[i - 1].nn) {
            const int px = static_cast<int>((r.rr[i - 1].rrMs - lo) / (hi - lo) * (size - 1));
            const int py = static_cast<int>((hi - r.rr[i].rrMs) / (hi - lo) * (size - 1));
            if (px >= 0 && px < size && py >= 0 && py < size)
                ++density[py * size + px];
            ++pairs;
        }
    if (pairs == 0)
        return NoData(c, f, QStringLiteral("нет пар соседних NN-интервалов"));
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int i = 0; i < size * size; ++i)
        if (density[i]) {
            const double shade = std::min(1.0, 0.35 + 0.65 * std::log10(density[i]) / 2);
            image.setPixelColor(i % size, i / size,
                                QColor::fromRgbF(float(0.12 * (1 - shade)), float(0.24 * (1 - shade)),
                                                 float(0.6 * (1 - shade) + 0.3 * shade), 1.0f));
        }
    c.Painter().drawImage(c.R(f.Left(), f.Top(), f.Width(), f.Height()), image);
    c.Painter().setPen(QPen(QColor(150, 150, 150), c.U(0.2), Qt::DashLine));
    c.Painter().drawLine(f.Map(lo, lo), f.Map(hi, hi));
    c.SetFont(7);
    c.Painter().setPen(Qt::black);
    c.Text(f.Left() + 2, f.Top() + 1, f.Width() - 4, 4,
           QStringLiteral("SD1 %1 мс, SD2 %2 мс").arg(Num(r.time.sd1, 1), Num(r.time.sd2, 1)));
}

void Spectrum(OReportCanvas& c, const OHolterReport& r, double y)
{
    const auto& psd = r.frequency.psd;
    double top = 1;
    for (size_t k = 1; k < psd.size() && k * kPsdBinHz <= 0.5; ++k)
        top = std::max(top, psd[k]);
    double yLo = 0;
    NiceRange(yLo, top, 4);
    OPlotFrame f(c, kMarginX + 18, y, kContentW - 20, 50, 0, 0.5, 0, top);
    const std::vector<double> yTicks = NiceTicks(0, top, 4);
    f.Axes(
        NiceTicks(0, 0.5, 10), [](double v) { return Num(v, 2); }, yTicks, TickText(yTicks));
    f.Titles(QStringLiteral("Частота, Гц"), QStringLiteral("PSD, мс²/Гц"));
    if (psd.empty())
        return NoData(c, f, QStringLiteral("нет ни одного 5-минутного отрезка с 270 с NN-интервалов"));
    f.Clip(true);
    QPainter& p = c.Painter();
    const struct {
        OBand band;
        QColor colour;
    } bands[] = {{kVlf, QColor(200, 200, 200)}, {kLf, QColor(150, 190, 240)}, {kHf, QColor(160, 220, 160)}};
    for (const auto& b : bands) {
        QPainterPath area;
        area.moveTo(f.Map(b.band.lowHz, 0));
        for (size_t k = 0; k < psd.size(); ++k) {
            const double hz = k * kPsdBinHz;
            if (hz >= b.band.lowHz - 1e-12 && hz <= b.band.highHz + 1e-12)
                area.lineTo(f.Map(hz, psd[k]));
        }
        area.lineTo(f.Map(b.band.highHz, 0));
        area.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(b.colour);
        p.drawPath(area);
    }
    QPainterPath line;
    for (size_t k = 0; k < psd.size() && k * kPsdBinHz <= 0.5; ++k)
        k == 0 ? line.moveTo(f.Map(0, psd[k])) : line.lineTo(f.Map(k * kPsdBinHz, psd[k]));
    p.setPen(QPen(QColor(20, 20, 20), c.U(0.25)));
    p.setBrush(Qt::NoBrush);
    p.drawPath(line);
    f.Clip(false);
    c.SetFont(7);
    double x = f.Left() + f.Width() - 95;
    for (const auto& [band, value] : {std::pair{kVlf, r.frequency.vlf}, {kLf, r.frequency.lf}, {kHf, r.frequency.hf}}) {
        p.setPen(Qt::NoPen);
        p.setBrush(band.name == kVlf.name  ? bands[0].colour
                   : band.name == kLf.name ? bands[1].colour
                                           : bands[2].colour);
        p.drawRect(c.R(x, f.Top() + 1.5, 3, 3));
        p.setPen(Qt::black);
        c.Text(x + 4, f.Top() + 1, 28, 4, QStringLiteral("%1 %2 мс²").arg(band.name).arg(Num(value, 0)));
        x += 32;
    }
}

} // namespace

void DrawVariabilityPage(OReportCanvas& c, const OHolterReport& r)
{
    c.NewPage();
    double y = c.Heading(18, QStringLiteral("3. Вариабельность ритма"));
    c.SetFont(9.5, true);
    c.Text(kMarginX, y, kContentW, 5, QStringLiteral("Ритмограмма (тахограмма RR-интервалов)"));
    Tachogram(c, r, y + 10);
    y += 72;
    c.SetFont(9.5, true);
    c.Text(kMarginX, y, 85, 5, QStringLiteral("Гистограмма NN-интервалов"));
    c.Text(kMarginX + 97, y, 85, 5, QStringLiteral("Диаграмма Пуанкаре"));
    Histogram(c, r, kMarginX + 18, y + 7, 68, 68);
    Poincare(c, r, kMarginX + 112, y + 7, 68, 68);
    y += 90;
    c.SetFont(9.5, true);
    c.Text(kMarginX, y, kContentW, 5,
           QStringLiteral("Спектр NN-интервалов (среднее по 5-минутным отрезкам), LF/HF %1")
               .arg(Num(r.frequency.lfHf, 2)));
    Spectrum(c, r, y + 8);
}
