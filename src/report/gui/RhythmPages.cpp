// The report's pages of ectopic activity and rhythm events (ReportRhythm.h
// computes what they show).
#include "ReportFigures.h"
#include "ReportPages.h"
#include "ReportRhythm.h"

#include <QColor>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kHeaderH = 9;
constexpr double kRowH = 5.6;

struct OColumn {
    QString title;
    double width;
};

double TableHeader(OReportCanvas& c, double y, const std::vector<OColumn>& columns)
{
    c.Painter().setPen(Qt::NoPen);
    c.Painter().setBrush(QColor(225, 232, 245));
    c.Painter().drawRect(c.R(kMarginX, y, kContentW, kHeaderH));
    c.SetFont(7.5, true);
    c.Painter().setPen(Qt::black);
    double x = kMarginX;
    for (const OColumn& col : columns) {
        c.Painter().drawText(c.R(x + 0.5, y, col.width - 1, kHeaderH), Qt::AlignCenter | Qt::TextWordWrap, col.title);
        x += col.width;
    }
    return y + kHeaderH;
}

double TableRow(OReportCanvas& c, double y, const std::vector<OColumn>& columns, const QStringList& cells, bool shade)
{
    if (shade) {
        c.Painter().setPen(Qt::NoPen);
        c.Painter().setBrush(QColor(245, 245, 245));
        c.Painter().drawRect(c.R(kMarginX, y, kContentW, kRowH));
    }
    c.SetFont(8);
    c.Painter().setPen(Qt::black);
    double x = kMarginX;
    for (size_t k = 0; k < columns.size() && k < size_t(cells.size()); ++k) {
        c.Text(x + 0.5, y, columns[k].width - 1, kRowH, cells[qsizetype(k)],
               k == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        x += columns[k].width;
    }
    return y + kRowH;
}

QString HourText(const OHolterReport& r, const OHourRow& h)
{
    const int width = r.info.start.known ? 5 : 6;
    const double end = std::min(r.info.durationS, (h.hour + 1) * 3600.0);
    return Q(ClockText(r, h.hour * 3600.0)).left(width) + "–" + Q(ClockText(r, end)).left(width);
}

// An hourly table that goes on over as many pages as it needs.
double HourlyTable(OReportCanvas& c, const OHolterReport& r, double y, const QString& continued,
                   const std::vector<OColumn>& columns, const std::function<QStringList(const OHourRow&)>& cells)
{
    y = TableHeader(c, y, columns);
    for (size_t i = 0; i < r.hours.size(); ++i) {
        if (y + kRowH > kBottom) {
            c.NewPage();
            y = TableHeader(c, c.Heading(18, continued), columns);
        }
        y = TableRow(c, y, columns, cells(r.hours[i]), i % 2);
    }
    c.Line(kMarginX, y, kPageW - kMarginX, y, QColor(150, 150, 150), 0.2);
    return y + 2;
}

const char* ClassTitle(char beatClass)
{
    switch (beatClass) {
    case kBeatNormal:
        return "N — нормальные (и проведённые как нормальные)";
    case kBeatSupra:
        return "S — наджелудочковые эктопические";
    case kBeatVentricular:
        return "V — желудочковые эктопические";
    case kBeatFusion:
        return "F — сливные";
    case kBeatUnknown:
        return "Q — неклассифицируемые (помехи)";
    }
    return "не классифицированы";
}

double Note(OReportCanvas& c, double y, const QString& text)
{
    c.Painter().setPen(QColor(90, 90, 90));
    y = c.Paragraph(y, text, 7.5);
    c.Painter().setPen(Qt::black);
    return y;
}

} // namespace

void DrawEctopyPage(OReportCanvas& c, const OHolterReport& r)
{
    c.NewPage();
    double y = c.Heading(18, QStringLiteral("6. Эктопическая активность"));
    const std::vector<OColumn> totals = {{QStringLiteral("Класс комплексов"), 110},
                                         {QStringLiteral("Комплексов"), 35},
                                         {QStringLiteral("% всех комплексов"), 35}};
    y = TableHeader(c, y, totals);
    const auto pct = [&](int64_t n) {
        return r.beatCount ? Num(100.0 * double(n) / double(r.beatCount), 2) : QStringLiteral("—");
    };
    int row = 0;
    for (char cls : kBeatClasses)
        y = TableRow(c, y, totals,
                     {QString::fromUtf8(ClassTitle(cls)), QString::number(r.classes.Of(cls)), pct(r.classes.Of(cls))},
                     row++ % 2);
    if (r.classes.unclassified > 0)
        y = TableRow(c, y, totals,
                     {QString::fromUtf8(ClassTitle(kBeatUnclassified)), QString::number(r.classes.unclassified),
                      pct(r.classes.unclassified)},
                     row % 2);
    c.Line(kMarginX, y, kPageW - kMarginX, y, QColor(150, 150, 150), 0.2);
    y += 2;
    c.SetFont(9.5, true);
    c.Painter().setPen(Qt::black);
    c.Text(kMarginX, y, kContentW, 5,
           QStringLiteral("Желудочковая эктопия: %1 % комплексов; наджелудочковая: %2 %.")
               .arg(Num(BeatBurdenPct(r, kBeatVentricular), 2), Num(BeatBurdenPct(r, kBeatSupra), 2)));
    y += 6;
    if (r.beatCount > 0 && r.classes.unclassified == r.beatCount)
        y = Note(c, y,
                 QStringLiteral("Классы комплексов не определены: все комплексы считаются нормальными для "
                                "NN-интервалов, эктопические не подсчитаны."));
    y += 2;
    c.SetFont(9.5, true);
    c.Painter().setPen(Qt::black);
    c.Text(kMarginX, y, kContentW, 5, QStringLiteral("По часам"));
    y += 6;
    std::vector<OColumn> hourly = {{QStringLiteral("Час"), 26}, {QStringLiteral("Комплексов"), 20}};
    for (char cls : kBeatClasses)
        hourly.push_back({QString(QChar(cls)), 17});
    hourly.push_back({QStringLiteral("V, %"), 24.5});
    hourly.push_back({QStringLiteral("S, %"), 24.5});
    y = HourlyTable(c, r, y, QStringLiteral("6. Эктопическая активность (продолжение)"), hourly,
                    [&](const OHourRow& h) {
                        QStringList cells = {HourText(r, h), QString::number(h.beats)};
                        for (char cls : kBeatClasses)
                            cells << QString::number(h.classes.Of(cls));
                        cells << Num(HourBurdenPct(h, kBeatVentricular), 2) << Num(HourBurdenPct(h, kBeatSupra), 2);
                        return cells;
                    });
    Note(c, y,
         QStringLiteral("Бремя — доля комплексов класса V или S среди всех комплексов записи (часа). Определения "
                        "классов — на последней странице."));
}

void DrawRhythmPages(OReportCanvas& c, const OHolterReport& r)
{
    c.NewPage();
    const QString continued = QStringLiteral("7. Нарушения ритма (продолжение)");
    double y = c.Heading(18, QStringLiteral("7. Нарушения ритма"));
    double afS = 0;
    for (const ORhythmEvent& e : r.rhythm.events)
        if (e.kind == ORhythmKind::AF)
            afS += EventSeconds(r, e);
    c.SetFont(9.5, true);
    c.Painter().setPen(Qt::black);
    c.Text(kMarginX, y, kContentW, 5,
           QStringLiteral("Бремя фибрилляции предсердий: %1 % анализируемого времени (%2).")
               .arg(Num(r.rhythm.AfBurdenPct(), 2), Q(DurationText(std::round(afS)))));
    y += 6;
    y = Note(c, y,
             r.hrvAfExcludedS > 0
                 ? QStringLiteral("Показатели вариабельности ритма рассчитаны без RR-интервалов во время фибрилляции "
                                  "предсердий (исключено %1).")
                       .arg(Q(DurationText(std::round(r.hrvAfExcludedS))))
                 : QStringLiteral("Показатели вариабельности ритма не включают время фибрилляции предсердий; в этой "
                                  "записи она не найдена."));
    y += 2;
    const std::vector<OColumn> kinds = {{QStringLiteral("Вид"), 62},
                                        {QStringLiteral("Число"), 14},
                                        {QStringLiteral("Общая длит."), 22},
                                        {QStringLiteral("Самое длинное"), 41},
                                        {QStringLiteral("Самое частое"), 41}};
    y = TableHeader(c, y, kinds);
    if (r.kinds.empty()) {
        y = TableRow(c, y, kinds, {QStringLiteral("Нарушений ритма не найдено.")}, false);
    } else {
        int row = 0;
        for (const ORhythmKindRow& k : r.kinds) {
            const ORhythmEvent& longest = r.rhythm.events[k.longest];
            const ORhythmEvent& fastest = r.rhythm.events[k.fastest];
            y = TableRow(
                c, y, kinds,
                {QStringLiteral("%1 (%2)").arg(QString::fromUtf8(RhythmKindTitle(k.kind)), RhythmKindName(k.kind)),
                 QString::number(k.count), Q(DurationText(std::round(k.totalS))),
                 QStringLiteral("%1 с в %2")
                     .arg(Num(EventSeconds(r, longest), 1), Q(ClockText(r, EventStartS(r, longest)))),
                 QStringLiteral("%1 уд/мин в %2")
                     .arg(Num(fastest.meanBpm, 0), Q(ClockText(r, EventStartS(r, fastest))))},
                row++ % 2);
        }
    }
    c.Line(kMarginX, y, kPageW - kMarginX, y, QColor(150, 150, 150), 0.2);
    y += 4;

    c.SetFont(9.5, true);
    c.Painter().setPen(Qt::black);
    c.Text(kMarginX, y, kContentW, 5, QStringLiteral("По часам: события, начавшиеся в часе"));
    y += 6;
    std::vector<OColumn> hourly = {{QStringLiteral("Час"), 26}, {QStringLiteral("ФП, мин"), 17.2}};
    const ORhythmKind counted[] = {ORhythmKind::VT,        ORhythmKind::Couplet, ORhythmKind::Bigeminy,
                                   ORhythmKind::Trigeminy, ORhythmKind::SVT,     ORhythmKind::Pause,
                                   ORhythmKind::Brady,     ORhythmKind::Tachy};
    const char* const titles[] = {"ЖТ", "Пары ЖЭС", "Бигем.", "Тригем.", "НЖТ", "Паузы", "Бради", "Тахи"};
    for (const char* title : titles)
        hourly.push_back({QString::fromUtf8(title), 17.1});
    y = HourlyTable(c, r, y, continued, hourly, [&](const OHourRow& h) {
        QStringList cells = {HourText(r, h), Num(h.afS / 60, 1)};
        for (ORhythmKind k : counted)
            cells << QString::number(h.events[size_t(k)]);
        return cells;
    });
    y += 3;

    c.SetFont(9.5, true);
    c.Painter().setPen(Qt::black);
    c.Text(kMarginX, y, kContentW, 5, QStringLiteral("Фрагменты ЭКГ по 10 с: первое, самое длинное и самое частое"));
    y += 7;
    if (r.rhythmStrips.empty()) {
        c.SetFont(8);
        c.Text(kMarginX + 1, y, kContentW, 5, QStringLiteral("Нет нарушений ритма для показа."));
        return;
    }
    for (const OStrip& s : r.rhythmStrips) {
        if (y + kStripBlockH > kBottom) {
            c.NewPage();
            y = c.Heading(18, continued);
        }
        y = DrawStrip(c, r, s, y);
    }
}
