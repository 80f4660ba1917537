#pragma once
// What a report reads from a processed recording: the impulses of the pass,
// the sectors' temperature and accelerations summed per minute, and the raw
// ECG of the strips, each read in chunks through a descriptor (SectorReader.h)
// so that the mapping is never touched. The strips' reader holds a
// descriptor of its own: the input stays usable after the file is closed.
#include "HolterReport.h"
#include "OEcgFile.h"

// detector: the one that filled the impulse array (DetectorKind.h).
OReportInput ReportInputFromFile(const OEcgFile& file, int32_t detector, double unitsPerMillivolt);
