#pragma once
// A synthetic graph list for trying and measuring the chart without a
// recording: an ECG-like sampled signal (with its min/max envelope), a pulse
// rate point line with breaks and faults, a temperature point line and a band
// with spread, all over the same stretch of time of day.
#include "GrLargeAllocator.h"
#include "OGrEnvelope.h"
#include "OGrLine.h"
#include "OGrList.h"
#include "TGrDia.h"

#include <cstdint>
#include <memory>
#include <vector>

struct GrSyntheticOptions {
    double startTime = 8 * 3600.0; // seconds since midnight
    double hours = 24;
    double sampleRate = 976.5625;
    int signalGraphs = 1;   // graphs showing the sampled signal (scaled differently)
    int pulsePoints = 86400;
    int temperaturePoints = 1440;
    int bandPoints = 288;
};

class GrSyntheticList : public OGrList {
public:
    using Samples = std::vector<int16_t, GrLargeAllocator<int16_t>>;

    explicit GrSyntheticList(const GrSyntheticOptions& options);
    ~GrSyntheticList() override;

    int GetGrCount() override { return static_cast<int>(m_Graphs.size()); }
    TGrDia* GetGrDia(int gr) override { return m_Graphs[gr].axis.get(); }
    int GetLineCount(int gr) override { return static_cast<int>(m_Graphs[gr].lines.size()); }
    OGrLine* GetLine(int gr, int line) override { return m_Graphs[gr].lines[line].get(); }

    int64_t SampleCount() const { return static_cast<int64_t>(m_Samples.size()); }

private:
    struct Graph {
        std::unique_ptr<TGrDia> axis;
        std::vector<std::unique_ptr<OGrLine>> lines;
    };
    void AddGraph(std::vector<std::unique_ptr<OGrLine>> lines);

    Samples m_Samples;
    OGrEnvelope m_Envelope;
    std::vector<Graph> m_Graphs;
};
