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
void DrawDefinitionsPage(OReportCanvas& canvas, const OHolterReport& report);

// Time-axis ticks and labels shared by the plots over the whole recording.
struct OTimeAxis {
    std::vector<double> ticks;
    std::function<QString(double)> label;
    QString title;
};
OTimeAxis MakeTimeAxis(const OHolterReport& report, int maxTicks);
