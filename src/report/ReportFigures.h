#pragma once
// The summary's figures in one list, so that the PDF and the JSON state the
// same numbers under the same names, and every figure that cannot be
// computed says why.
#include "HolterReport.h"

#include <optional>
#include <string>
#include <vector>

struct OSummaryFigure {
    const char* key;   // JSON key
    const char* group; // summary block, Russian
    std::string label; // metric name (Latin where there is a standard one)
    const char* unit;  // "" for none
    int decimals;
    std::optional<double> value;
    std::string missing; // why there is no value (Russian); empty when there is one
};

std::vector<OSummaryFigure> SummaryFigures(const OHolterReport& report);

// "ЧЧ:ММ:СС" of a time from the recording's start, as clock time when the
// start is known; hours past 24 wrap to the next day.
std::string ClockText(const OHolterReport& report, double timeS);
// "Ч:ММ:СС" of a length of time.
std::string DurationText(double seconds);
