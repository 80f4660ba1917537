#pragma once
// Export of one recording as an EDF+ file (EDF+C, written by EDFlib) that
// EDFbrowser, MNE and the other tools of the field read with the right rates,
// units, start time and beat marks:
//   "ECG"          every raw sample, digital value = the stored 16-bit word;
//                  millivolts when calibrated, else the device's own units
//   "Temperature", "Accel X", "Accel Y", "Accel Z", "CCP1"
//                  one value per sector, as the text export gives them
//   "ECG filtered", "Pulse rate"  with derived (the last pass's results)
// and the last pass's impulses as annotations (their class letters, "R" / "R?"
// while unclassified) with the rhythm events found from them, each with its
// duration (EdfBeatMarks.h).
//
// The file is written under a temporary name beside the target, read back
// with EDFlib and renamed only when whole, so a failed or cancelled export
// leaves no file behind. Window-free: the caller shows the result's message.
#include "DetectorKind.h"
#include "OEcgFile.h"
#include "ProcessFile.h"
#include "RhythmEvents.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct OEdfExportOptions {
    bool derived = false;    // add the filtered ECG and the pulse rate
    bool annotations = true; // the impulses as beat marks, and the rhythm events
    // The events to mark; absent: FindRhythmEvents over the impulses.
    std::optional<std::vector<ORhythmEvent>> events;
    std::string patient;                  // patient name, may be empty
    int32_t detector = kDetectorStandard; // the detector the impulses came from
    double unitsPerMillivolt = 0;         // 0: not calibrated
};

struct OEdfExportResult {
    enum Status { Written, Cancelled, Failed };
    Status status = Failed;
    std::string message;    // for the user, in every case
    int64_t beatMarks = 0;  // annotations of impulses in the file
    int64_t eventMarks = 0; // annotations of rhythm events
    int annotationSignals = 0;
    bool dateUnknown = false;
    bool Ok() const { return status == Written; }
};

// Writes file (open, with the results of its last pass) to outPath. control:
// cancel is read before every data record, progress is the sector being
// written (0..SectorCount()).
OEdfExportResult ExportEdf(const OEcgFile& file, const std::string& outPath, const OEdfExportOptions& options,
                           OProcessControl& control);

// The name the file is written under until it is complete.
std::string EdfPartialPath(const std::string& outPath);

// Plain ASCII for an EDF header field (Cyrillic transliterated, blanks as
// "_", anything else unprintable as "_").
std::string EdfHeaderText(const std::string& utf8);
