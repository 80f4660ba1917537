#pragma once
// One series object that presents any channel of the open recording, raw or
// processed, to the chart: re-aimed by the graph list at every GetLine. It
// reads the file's mapping (only where it is drawn) and arrays in place and
// never copies them; the filtered ECG and the threshold it recomputes for the
// span being drawn (OFilteredSpan), and zoomed out it draws every series from
// extremes the pass kept (OPassDisplay).
#include "OFilteredSpan.h"
#include "OGrEnvelope.h"
#include "OGrLine.h"
#include "SeriesTypes.h"

#include <cstdint>
#include <array>
#include <map>
#include <memory>
#include <vector>

class OEcgFile;

class OGrLine_Uevo : public OGrLine {
public:
    explicit OGrLine_Uevo(const OEcgFile* file) : m_File(file) {}

    void SetType(int type) { m_Type = type; }
    int Type() const { return m_Type; }
    // Impulse marker half-width, samples.
    void SetHalfWidth(int samples) { m_HalfWidth = samples; }
    // Seconds added to every abscissa: the recording's start time of day.
    void SetTimeOffset(double seconds) { m_TimeOffset = seconds; }
    double TimeOffset() const { return m_TimeOffset; }
    // While a pass rewrites the processing results they are not shown: the
    // series of types 100 and above then offer no points and no values.
    void SetResultsHidden(bool hidden);
    // The extremes kept for drawing long series belong to the data they were
    // taken from: forget them when another file is opened or closed.
    void ForgetEnvelopes();
    // Finds the S and V beats among the impulses for their own series; after
    // every pass. Returns whether the beats have classes at all.
    bool IndexBeatClasses();

    int IsFunction() override;
    int HasSpread() override { return 0; }
    int GetPointCount() override;
    int GetPoint(int i, double* x, double* y) override;
    // The derived series (pulse, temperature, frequency) in blocks.
    int GetPoints(int first, int count, double* x, double* y, int* flags) override;
    void GetXRange(double* lo, double* hi) override;
    void GetYRange(double* lo, double* hi) override;
    double GetValue(const double* x) override;
    // Extremes of a function series between two abscissae, from an envelope
    // built on first use, so that a column spanning thousands of samples still
    // shows its narrow peaks.
    int GetValueRange(double x0, double x1, double* lo, double* hi) override;
    // The name of the check box that shows the series; the three axes of the
    // accelerations by their letters.
    std::string GetName() override;
    // The S and V beats keep their colours in every pane.
    int GetColor() override;

private:
    bool ResultsShown() const { return !m_ResultsHidden; }
    int ImpulsePoint(int i, double* x, double* y) const;
    int ClassPoint(int i, double* x, double* y) const;
    // Value k of the envelope's index space (samples, or sectors for the
    // per-sector series); 1e200 where there is none.
    double EnvelopeSample(int64_t k) const;
    // Sector k of the file's mapping, whose pages are dropped again now and
    // then (OEcgFile::DropMappedPages).
    const uint8_t* MappedSector(int64_t k) const;
    int64_t EnvelopeLength() const;
    // Builds the envelope of the current type: from the pass's extremes when
    // it kept them, otherwise from the samples read in chunks (never through
    // the mapping, which would keep the whole file in memory).
    void BuildEnvelope(OGrEnvelope& envelope, int64_t length);
    // Filtered ECG (threshold: false) or threshold at output position j <
    // ResultCount(), from the cached spans.
    int16_t ResultSample(int64_t j, bool threshold);
    int64_t ResultCount() const;
    void ForgetSpans();

    const OEcgFile* m_File;
    int m_Type = 0;
    int m_HalfWidth = 0;
    double m_TimeOffset = 0.0;
    bool m_ResultsHidden = false;
    mutable int64_t m_LastSector = -1000;
    mutable int m_FarReads = 0;
    std::map<int, OGrEnvelope> m_Envelopes; // by type
    // The last spans of filtered ECG and threshold recomputed for painting,
    // the oldest replaced first: a zoomed-out column's edges and the series
    // of several panes alternate between a few places.
    struct OResultSpan {
        int64_t first = -1;
        int64_t count = 0;
        std::vector<int16_t> filtered, threshold;
    };
    std::unique_ptr<OFilteredSpan> m_Span;
    std::array<OResultSpan, 4> m_Spans;
    int m_OlderSpan = 0;
    std::vector<int64_t> m_SupraBeats, m_VentricularBeats; // impulse indices
};
