#pragma once
// One open recording file (".экг": 512-byte sectors from offset 0) with the
// channel arrays a processing pass fills. Window-free: the analysis window
// owns one, shows its state and hands it to ProcessFile and the export.
//
// Life cycle: OpenEcgFile closes what was open, then opens, sizes, allocates
// and maps; CloseEcgFile releases everything. A failed open leaves nothing
// open and SectorCount() at 0. The arrays stay valid until the next open or
// close; while a pass runs they are being rewritten.
#include "EcgFileName.h"
#include "OChannel.h"
#include "OEKGFilter.h"
#include "OImpulse.h"
#include "OSeriesPoint.h"
#include "RecordingCheck.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct OPassDisplay;

class OEcgFile {
public:
    OEcgFile();
    ~OEcgFile();
    OEcgFile(const OEcgFile&) = delete;
    OEcgFile& operator=(const OEcgFile&) = delete;

    // Opens path for analysis. isEcg: the caller found the extension "экг"
    // (IsEcgExtension). Messages go through Dialogs(): refusals as errors,
    // missing arrays or mapping as one "ПРОБЛЕМЫ С ПАМЯТЬЮ" warning (the file
    // then stays open with what could be had). False: nothing is open.
    bool OpenEcgFile(const std::string& path, bool isEcg);
    void CloseEcgFile();

    bool IsOpen() const { return m_Fd >= 0; }
    // The whole file is mapped read-only (raw-signal series and the
    // accelerations export need it).
    bool IsMapped() const { return m_View != nullptr; }
    const std::string& FilePath() const { return m_FilePath; } // absolute
    int64_t SectorCount() const { return m_SectorCount; }
    // Sector k of the mapping; nullptr when unmapped or k out of range.
    const uint8_t* Sector(int64_t k) const;
    // Unmaps the mapping's pages from the process (they stay cached and come
    // back on the next touch): a reader scattered over a long file calls it
    // now and then, so that its memory does not grow toward the file's size.
    void DropMappedPages() const;
    int Descriptor() const { return m_Fd; }
    // Reads whole sectors [first, first + count) into buffer with pread (no
    // mapping needed); returns how many came. A read error leaves its errno in
    // *error when given.
    int64_t ReadSectors(int64_t first, int64_t count, uint8_t* buffer, int* error = nullptr) const;
    // From the file name, for the "Время начала" box.
    const OStartOfDay& StartOfDay() const { return m_StartOfDay; }

    // Results of the last pass (absent when memory was short). Capacities: n
    // for each (n = SectorCount()); large ones take pages only as the pass
    // writes them. The filtered ECG and the threshold are not kept sample by
    // sample: OFilteredSpan recomputes them for any span.
    // Output positions of the filtered signal the last pass produced
    // (234·n - (NA + NI) after a full one; position j belongs to raw sample j).
    int64_t ProcessedN() const { return m_ProcessedN; }
    // The filter of the last pass (nothing before one).
    const std::optional<OEKGFilter::OShape>& FilterShape() const { return m_FilterShape; }
    // What the last pass kept for the chart, when it was asked to
    // (OPassOutputs); nullptr otherwise.
    const OPassDisplay* Display() const { return m_Display.get(); }
    const OChannel<OImpulse>& ImpulseInfo() const { return m_ImpulseInfo; }
    const OChannel<OPoint>& Puls() const { return m_Puls; }
    const OChannel<OPoint>& Thermo() const { return m_Thermo; }
    const OChannel<OCcpPair>& FMs() const { return m_FMs; }
    // The last pass was told to leave m_FMs empty (OPassOutputs::frequencies):
    // a reader that needs them computes them from the sectors (OCcpMeter).
    bool FrequenciesLeftOut() const { return m_FrequenciesLeftOut; }     // pair k belongs to time k·0.239616 s
    const OChannel<OAuxRecord>& AUXs() const { return m_AUXs; } // reserved, always empty
    // The file check of the sectors the last pass read (RecordingCheck.h);
    // nothing before a pass, or after one that was cancelled.
    const std::optional<ORecordingCheck>& PassCheck() const { return m_PassCheck; }

private:
    friend class OProcessPass;
    std::string AllocateArrays();
    std::string MapView(int64_t size);

    std::string m_FilePath;
    int m_Fd = -1;
    const uint8_t* m_View = nullptr;
    int64_t m_ViewBytes = 0;
    int64_t m_SectorCount = 0;
    OStartOfDay m_StartOfDay;
    int64_t m_ProcessedN = 0;
    bool m_FrequenciesLeftOut = false;

    OChannel<OImpulse> m_ImpulseInfo;
    OChannel<OPoint> m_Puls;
    OChannel<OPoint> m_Thermo;
    OChannel<OCcpPair> m_FMs;
    OChannel<OAuxRecord> m_AUXs;
    std::optional<ORecordingCheck> m_PassCheck;
    std::optional<OEKGFilter::OShape> m_FilterShape;
    std::unique_ptr<OPassDisplay> m_Display;
};
