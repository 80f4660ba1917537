#pragma once
// The report's machine-readable companions: every figure of the summary, the
// hourly table, the beats per class, the rhythm events and the ECG strips as
// JSON (a figure that cannot be computed is null, its reason under
// "unavailable"), and the RR intervals as CSV, one
// line per interval: time of the second beat in s, RR in ms, 1 if NN else 0,
// flags of the first and of the second beat.
#include "HolterReport.h"

#include <QJsonObject>

#include <string>

QJsonObject ReportJson(const OHolterReport& report);
// False with a reason in error when the file cannot be written.
bool WriteReportJson(const OHolterReport& report, const std::string& path, std::string& error);
bool WriteRrCsv(const OHolterReport& report, const std::string& path, std::string& error);
