#pragma once
// What a report reads from a processed recording: the impulses of the pass,
// each sector's temperature and accelerations, and the raw ECG for strips.
#include "HolterReport.h"
#include "OEcgFile.h"

// detector: the one that filled the impulse array (DetectorKind.h).
OReportInput ReportInputFromFile(const OEcgFile& file, int32_t detector, double unitsPerMillivolt);
