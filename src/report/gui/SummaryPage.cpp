#include "DetectorKind.h"
#include "EcgFileName.h"
#include "ReportFigures.h"
#include "ReportPages.h"
#include "StrFormat.h"

#include <QColor>

#include <algorithm>
#include <cmath>

QString Num(double value, int decimals)
{
    return QString::number(value, 'f', decimals).replace('.', ',');
}

QString Num(const std::optional<double>& value, int decimals)
{
    return value ? Num(*value, decimals) : QStringLiteral("—");
}

namespace {

constexpr double kRowH = 5.2;
constexpr double kLabelW = 62;

double Row(OReportCanvas& c, double y, const QString& label, const QString& value, const QString& note = {})
{
    c.SetFont(9);
    c.Painter().setPen(Qt::black);
    c.Text(kMarginX + 2, y, kLabelW, kRowH, label);
    c.SetFont(9, true);
    c.Text(kMarginX + 2 + kLabelW, y, 38, kRowH, value);
    double height = kRowH;
    if (!note.isEmpty()) {
        // Notes wrap; the row grows with them.
        c.SetFont(7.5);
        c.Painter().setPen(QColor(110, 110, 110));
        const QRectF box = c.R(kMarginX + 2 + kLabelW + 38, y + 0.9, kContentW - kLabelW - 40, 20);
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        c.Painter().drawText(box, flags, note);
        height = std::max(kRowH, c.Painter().boundingRect(box, flags, note).height() / c.U(1) + 1.6);
        c.Painter().setPen(Qt::black);
    }
    return y + height;
}

double Group(OReportCanvas& c, double y, const QString& title)
{
    y += 1.5;
    c.SetFont(10, true);
    c.Painter().setPen(QColor(20, 50, 110));
    c.Text(kMarginX, y, kContentW, 6, title);
    c.Painter().setPen(Qt::black);
    c.Line(kMarginX, y + 6, kPageW - kMarginX, y + 6, QColor(200, 200, 200), 0.15);
    return y + 7;
}

} // namespace

void DrawSummaryPage(OReportCanvas& c, const OHolterReport& r)
{
    c.NewPage();
    c.SetFont(16, true);
    c.Text(kMarginX, 18, kContentW, 10, QStringLiteral("Холтеровское мониторирование ЭКГ"));
    c.SetFont(9);
    c.Painter().setPen(QColor(90, 90, 90));
    c.Text(kMarginX, 27, kContentW, 5,
           QStringLiteral("ЧСС, вариабельность ритма, паузы и эпизоды, активность и температура"));
    c.Painter().setPen(Qt::black);
    double y = c.Heading(35, QStringLiteral("1. Сводка"));

    const QString file = Q(SplitPath(r.info.filePath).name +
                           (SplitPath(r.info.filePath).ext.empty() ? "" : "." + SplitPath(r.info.filePath).ext));
    y = Row(c, y, QStringLiteral("Файл"), file);
    y = Row(c, y, QStringLiteral("Начало записи"),
            r.info.start.known ? Q(r.info.start.Text()) : QStringLiteral("неизвестно"),
            r.info.start.known ? QString() : QStringLiteral("времена указаны от начала записи"));
    y = Row(c, y, QStringLiteral("Длительность"), Q(DurationText(r.info.durationS)));
    y = Row(c, y, QStringLiteral("Детектор R-зубцов"), QString::fromUtf8(DetectorTitle(r.info.detector)));
    y = Row(c, y, QStringLiteral("Комплексов (R-зубцов)"), QString::number(r.beatCount));
    const int64_t intervals = static_cast<int64_t>(r.rr.size());
    QString excludedNote = intervals ? QStringLiteral("из %1 RR-интервалов (%2 %), NN-интервалов: %3")
                                           .arg(intervals)
                                           .arg(Num(100.0 * r.time.excludedCount / intervals, 1))
                                           .arg(r.time.nnCount)
                                     : QStringLiteral("нет RR-интервалов");
    if (r.hrvAfExcludedS > 0)
        excludedNote += QStringLiteral("; ВСР — без фибрилляции предсердий (%1)")
                            .arg(Q(DurationText(std::round(r.hrvAfExcludedS))));
    y = Row(c, y, QStringLiteral("Исключённых интервалов"), QString::number(r.time.excludedCount), excludedNote);

    const std::vector<OSummaryFigure> figures = SummaryFigures(r);
    const char* group = "";
    for (const OSummaryFigure& f : figures) {
        if (std::string(group) != f.group) {
            group = f.group;
            QString title = QString::fromUtf8(group);
            if (title == QStringLiteral("Временной анализ"))
                title += QStringLiteral(" (Task Force ESC/NASPE, 1996)");
            if (title == QStringLiteral("Частотный анализ") && r.frequency.segmentsUsed)
                title += QStringLiteral(" (5-минутных отрезков: %1)").arg(r.frequency.segmentsUsed);
            y = Group(c, y, title);
        }
        const QString unit = QString::fromUtf8(f.unit);
        y = Row(c, y, Q(f.label), f.value ? Num(*f.value, f.decimals) + (unit.isEmpty() ? "" : " " + unit) : "—",
                f.value ? QString() : QStringLiteral("не вычисляется: ") + Q(f.missing));
    }

    y = Group(c, y, QStringLiteral("Паузы и эпизоды"));
    const auto longest = LongestPauses(r.pauses, 1);
    y = Row(c, y, QStringLiteral("Пауз (RR > 2 с)"), QString::number(r.pauses.size()),
            longest.empty() ? QString()
                            : QStringLiteral("самая длинная %1 с в %2")
                                  .arg(Num(longest[0].rrMs / 1000, 2))
                                  .arg(Q(ClockText(r, longest[0].timeS))));
    int brady = 0, tachy = 0;
    for (const OEpisode& e : r.episodes)
        (e.tachycardia ? tachy : brady)++;
    y = Row(c, y, QStringLiteral("Эпизодов брадикардии"), QString::number(brady),
            QStringLiteral("ЧСС < 50 уд/мин не менее 2 минут подряд"));
    y = Row(c, y, QStringLiteral("Эпизодов тахикардии"), QString::number(tachy),
            QStringLiteral("ЧСС > 100 уд/мин не менее 2 минут подряд"));
    y += 4;
    c.Painter().setPen(QColor(90, 90, 90));
    c.Paragraph(y,
                QStringLiteral("Определения показателей — на последней странице. Отчёт составлен программой "
                               "Brenna по импульсам выбранного детектора; он не заменяет заключения врача."),
                7.5);
    c.Painter().setPen(Qt::black);
}
