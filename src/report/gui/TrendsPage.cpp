#include "ReportFigures.h"
#include "ReportPages.h"

#include <QColor>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

OTimeAxis MakeTimeAxis(const OHolterReport& r, int maxTicks)
{
    OTimeAxis axis;
    const ORecordingStart& s = r.info.start;
    const double offset = s.known ? s.hours * 3600.0 + s.minutes * 60.0 + s.seconds : 0;
    axis.ticks = TimeTicks(r.info.durationS, offset, maxTicks);
    axis.label = [offset](double t) {
        const int64_t total = static_cast<int64_t>(std::llround(t + offset));
        if (offset > 0 || t + offset >= 0)
            return QStringLiteral("%1:%2")
                .arg(offset > 0 ? total / 3600 % 24 : total / 3600, 2, 10, QChar('0'))
                .arg(total / 60 % 60, 2, 10, QChar('0'));
        return QString();
    };
    axis.title = s.known ? QStringLiteral("Время суток, чч:мм") : QStringLiteral("Время от начала записи, ч:мм");
    return axis;
}

namespace {

// A per-minute series as a polyline broken where a minute has no value.
void MinuteLine(OReportCanvas& c, const OPlotFrame& f, const std::vector<std::optional<double>>& values,
                const QColor& colour)
{
    QPainterPath path;
    bool open = false;
    for (size_t m = 0; m < values.size(); ++m) {
        if (!values[m]) {
            open = false;
            continue;
        }
        const QPointF p = f.Map(m * 60.0 + 30, *values[m]);
        if (open)
            path.lineTo(p);
        else
            path.moveTo(p);
        open = true;
    }
    c.Painter().setPen(QPen(colour, c.U(0.3)));
    c.Painter().setBrush(Qt::NoBrush);
    c.Painter().drawPath(path);
    // Lone minutes would vanish as zero-length paths.
    c.Painter().setBrush(colour);
    for (size_t m = 0; m < values.size(); ++m)
        if (values[m] && (m == 0 || !values[m - 1]) && (m + 1 == values.size() || !values[m + 1]))
            c.Painter().drawEllipse(f.Map(m * 60.0 + 30, *values[m]), c.U(0.4), c.U(0.4));
}

bool Range(const std::vector<std::optional<double>>& values, double& lo, double& hi)
{
    bool any = false;
    for (const auto& v : values)
        if (v) {
            lo = any ? std::min(lo, *v) : *v;
            hi = any ? std::max(hi, *v) : *v;
            any = true;
        }
    return any;
}

void Panel(OReportCanvas& c, const OHolterReport& r, const OTimeAxis& axis, double y, const QString& title,
           const QString& yTitle, const std::vector<std::optional<double>>& values, double minLo, double minHi,
           const QColor& colour, const std::function<void(const OPlotFrame&)>& extra = nullptr)
{
    c.SetFont(9.5, true);
    c.Painter().setPen(Qt::black);
    c.Text(kMarginX, y, kContentW, 5, title);
    double lo = minLo, hi = minHi;
    const bool any = Range(values, lo, hi);
    lo = std::min(lo, minLo);
    hi = std::max(hi, minHi);
    if (lo > hi) {
        lo = 0;
        hi = 1;
    }
    NiceRange(lo, hi, 5);
    OPlotFrame f(c, kMarginX + 18, y + 6, kContentW - 20, 56, 0, std::max(r.info.durationS, 60.0), lo, hi);
    const std::vector<double> yTicks = NiceTicks(lo, hi, 5);
    f.Axes(axis.ticks, axis.label, yTicks, TickText(yTicks));
    f.Titles(axis.title, yTitle);
    if (!any) {
        c.SetFont(9);
        c.Painter().setPen(QColor(120, 120, 120));
        c.Text(f.Left(), f.Top(), f.Width(), f.Height(), QStringLiteral("нет данных"), Qt::AlignCenter);
        c.Painter().setPen(Qt::black);
        return;
    }
    f.Clip(true);
    if (extra)
        extra(f);
    MinuteLine(c, f, values, colour);
    f.Clip(false);
}

} // namespace

void DrawTrendsPage(OReportCanvas& c, const OHolterReport& r)
{
    c.NewPage();
    double y = c.Heading(18, QStringLiteral("2. Вся запись: ЧСС, активность, температура"));
    const OTimeAxis axis = MakeTimeAxis(r, 12);
    Panel(c, r, axis, y, QStringLiteral("Частота сердечных сокращений по минутам"), QStringLiteral("ЧСС, уд/мин"),
          r.hrPerMinute, 40, 120, QColor(190, 30, 30), [&](const OPlotFrame& f) {
              // The brady- and tachycardia limits.
              c.Painter().setPen(QPen(QColor(120, 120, 200), c.U(0.2), Qt::DashLine));
              for (double limit : {kBradyBpm, kTachyBpm})
                  c.Painter().drawLine(f.Map(f.X0(), limit), f.Map(f.X1(), limit));
          });
    Panel(c, r, axis, y + 82,
          QStringLiteral("Активность по минутам (изменение вектора ускорения от сектора к сектору)"),
          QStringLiteral("Активность, ед."), r.activityPerMinute, 0, 1, QColor(30, 110, 40));
    Panel(c, r, axis, y + 164, QStringLiteral("Температура кожи по минутам"), QStringLiteral("Температура, °C"),
          r.temperaturePerMinute, 1e9, -1e9, QColor(200, 110, 0));
}
