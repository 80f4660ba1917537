#include "ReportFigures.h"
#include "ReportPages.h"

#include <QColor>

namespace {

struct OColumn {
    const char* title;
    double width;
};
const OColumn kColumns[] = {
    {"Час", 26},      {"Комплексов", 19}, {"ЧСС мин", 15},  {"ЧСС сред", 15},     {"ЧСС макс", 15},
    {"SDNN, мс", 17}, {"RMSSD, мс", 18},  {"Искл., %", 16}, {"Активн., ед.", 20}, {"Темп., °C", 19},
};
constexpr double kRowH = 5.6;

double Header(OReportCanvas& c, double y)
{
    c.Painter().setPen(Qt::NoPen);
    c.Painter().setBrush(QColor(225, 232, 245));
    c.Painter().drawRect(c.R(kMarginX, y, kContentW, 9));
    c.SetFont(7.5, true);
    c.Painter().setPen(Qt::black);
    double x = kMarginX;
    for (const OColumn& col : kColumns) {
        c.Painter().drawText(c.R(x + 0.5, y, col.width - 1, 9), Qt::AlignCenter | Qt::TextWordWrap,
                             QString::fromUtf8(col.title));
        x += col.width;
    }
    return y + 9;
}

} // namespace

void DrawHourlyPages(OReportCanvas& c, const OHolterReport& r)
{
    c.NewPage();
    double y = c.Heading(18, QStringLiteral("4. Почасовая таблица"));
    y = Header(c, y);
    if (r.hours.empty()) {
        c.SetFont(9);
        c.Text(kMarginX, y + 2, kContentW, 6, QStringLiteral("Запись пуста: нет ни одного часа."));
        return;
    }
    for (size_t i = 0; i < r.hours.size(); ++i) {
        const OHourRow& h = r.hours[i];
        if (y + kRowH > kBottom) {
            c.NewPage();
            y = Header(c, c.Heading(18, QStringLiteral("4. Почасовая таблица (продолжение)")));
        }
        if (i % 2) {
            c.Painter().setPen(Qt::NoPen);
            c.Painter().setBrush(QColor(245, 245, 245));
            c.Painter().drawRect(c.R(kMarginX, y, kContentW, kRowH));
        }
        const double end = std::min(r.info.durationS, (h.hour + 1) * 3600.0);
        const QString cells[] = {
            Q(ClockText(r, h.hour * 3600.0)).left(r.info.start.known ? 5 : 6) + "–" +
                Q(ClockText(r, end)).left(r.info.start.known ? 5 : 6),
            QString::number(h.beats),
            Num(h.hrMin, 0),
            Num(h.hrMean, 0),
            Num(h.hrMax, 0),
            Num(h.sdnn, 1),
            Num(h.rmssd, 1),
            Num(h.excludedPct, 1),
            Num(h.activity, 2),
            Num(h.temperature, 2),
        };
        c.SetFont(8);
        c.Painter().setPen(Qt::black);
        double x = kMarginX;
        for (size_t k = 0; k < std::size(kColumns); ++k) {
            c.Text(x + 0.5, y, kColumns[k].width - 1, kRowH, cells[k], Qt::AlignCenter);
            x += kColumns[k].width;
        }
        y += kRowH;
    }
    c.Line(kMarginX, y, kPageW - kMarginX, y, QColor(150, 150, 150), 0.2);
    c.Painter().setPen(QColor(90, 90, 90));
    c.Paragraph(
        y + 2,
        QStringLiteral("Час — от начала записи%1. ЧСС — по минутам часа с 30 с NN-интервалов; SDNN и RMSSD — по "
                       "NN-интервалам часа; «Искл.» — доля исключённых интервалов.")
            .arg(r.info.start.known ? QStringLiteral(", показано время суток") : QString()),
        7.5);
    c.Painter().setPen(Qt::black);
}
