#pragma once
// One series object that presents any channel of the open recording, raw or
// processed, to the chart: re-aimed by the graph list at every GetLine. It
// reads the file's mapping and arrays in place and never copies them.
#include "OGrLine.h"
#include "SeriesTypes.h"

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
    void SetResultsHidden(bool hidden) { m_ResultsHidden = hidden; }

    int IsFunction() override;
    int HasSpread() override { return 0; }
    int GetPointCount() override;
    int GetPoint(int i, double* x, double* y) override;
    void GetXRange(double* lo, double* hi) override;
    void GetYRange(double* lo, double* hi) override;
    double GetValue(const double* x) override;

private:
    bool ResultsShown() const { return !m_ResultsHidden; }
    int ImpulsePoint(int i, double* x, double* y) const;

    const OEcgFile* m_File;
    int m_Type = 0;
    int m_HalfWidth = 0;
    double m_TimeOffset = 0.0;
    bool m_ResultsHidden = false;
};
