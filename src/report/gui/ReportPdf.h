#pragma once
// The Holter report as an A4 PDF (QPdfWriter): summary, the whole recording
// on one time axis, variability plots, the hourly table, events with ECG
// strips, and the definitions. Needs a QGuiApplication (fonts).
#include "HolterReport.h"
#include "OEcgFile.h"

#include <string>

// Progress runs from 800 to 1000 per mille. False with a reason in error when
// the file cannot be written or the user cancelled (error then empty).
bool WriteHolterPdf(const OHolterReport& report, const std::string& path, OReportControl& control, std::string& error);

// What one "report" produces; empty paths are skipped.
struct OReportRequest {
    std::string pdf, json, rrCsv;
    int32_t detector = 0;
    double unitsPerMillivolt = 0;
};

// The report of a processed file: metrics, then the files. False with a
// reason in error; cancelled leaves error empty and no PDF behind.
bool WriteHolterReport(const OEcgFile& file, const OReportRequest& request, OReportControl& control,
                       std::string& error);

// The files of a report already built (JSON, RR intervals, PDF), for a caller
// that lets the processed file go first (the command line, whose pages then
// draw without the pass's arrays beside them).
bool WriteHolterFiles(const OHolterReport& report, const OReportRequest& request, OReportControl& control,
                      std::string& error);
