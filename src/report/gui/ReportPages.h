#pragma once
// The pages of the Holter report's PDF, each drawn on its own page(s).
#include "HolterReport.h"
#include "ReportCanvas.h"

#include <optional>

// Numbers as the report prints them: a decimal comma, "—" for none.
QString Num(double value, int decimals);
QString Num(const std::optional<double>& value, int decimals);

void DrawSummaryPage(OReportCanvas& canvas, const OHolterReport& report);
void DrawTrendsPage(OReportCanvas& canvas, const OHolterReport& report);
void DrawVariabilityPage(OReportCanvas& canvas, const OHolterReport& report);
void DrawHourlyPages(OReportCanvas& canvas, const OHolterReport& report);
void DrawEventPages(OReportCanvas& canvas, const OHolterReport& report);
void DrawEctopyPage(OReportCanvas& canvas, const OHolterReport& report);
void DrawRhythmPages(OReportCanvas& canvas, const OHolterReport& report);
void DrawDefinitionsPage(OReportCanvas& canvas, const OHolterReport& report);

// A 10 s ECG strip with its title at y, its beats marked (with their class
// letters when classified); returns the y below it.
inline constexpr double kStripBlockH = 8 + 2 * (30 + 3);
double DrawStrip(OReportCanvas& canvas, const OHolterReport& report, const OStrip& strip, double y);

// Time-axis ticks and labels shared by the plots over the whole recording.
struct OTimeAxis {
    std::vector<double> ticks;
    std::function<QString(double)> label;
    QString title;
};
OTimeAxis MakeTimeAxis(const OHolterReport& report, int maxTicks);
