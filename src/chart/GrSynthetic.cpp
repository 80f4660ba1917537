#include "GrSynthetic.h"

#include <cmath>
#include <random>

namespace {

// A function over the shared samples: value = offset + scale * sample.
class SampledLine : public OGrLine {
public:
    SampledLine(const GrSyntheticList::Samples& samples, const OGrEnvelope& envelope, double start, double rate,
                double scale, double offset)
        : m_Samples(samples), m_Envelope(envelope), m_Start(start), m_Rate(rate), m_Scale(scale), m_Offset(offset)
    {
    }
    int IsFunction() override { return 1; }
    int HasSpread() override { return 0; }
    int GetPointCount() override { return 0; }
    int GetPoint(int, double*, double*) override { return kGrPtAbsent; }
    void GetXRange(double* lo, double* hi) override
    {
        *lo = m_Start;
        *hi = m_Start + static_cast<double>(m_Samples.size()) / m_Rate;
    }
    void GetYRange(double* lo, double* hi) override
    {
        // Not given: the chart samples the function.
        *lo = 1;
        *hi = 0;
    }
    double GetValue(const double* x) override
    {
        const double j = std::trunc((*x - m_Start) * m_Rate);
        if (!(j >= 0 && j < static_cast<double>(m_Samples.size())))
            return 1e200;
        return m_Offset + m_Scale * m_Samples[static_cast<size_t>(j)];
    }
    int GetValueRange(double x0, double x1, double* lo, double* hi) override
    {
        const auto i0 = static_cast<int64_t>(std::ceil((x0 - m_Start) * m_Rate));
        const auto i1 = static_cast<int64_t>(std::ceil((x1 - m_Start) * m_Rate));
        double l, h;
        if (!m_Envelope.Range(i0, i1, [this](int64_t i) { return double(m_Samples[static_cast<size_t>(i)]); }, &l,
                              &h))
            return 0;
        *lo = m_Offset + m_Scale * l;
        *hi = m_Offset + m_Scale * h;
        return 1;
    }

private:
    const GrSyntheticList::Samples& m_Samples;
    const OGrEnvelope& m_Envelope;
    double m_Start, m_Rate, m_Scale, m_Offset;
};

struct Point {
    double x, y, spread;
    int flags;
};

// Points kept compactly (16 bytes each, the spread apart), as a recording's
// derived series would be: the chart reads every point on each paint.
class PointLine : public OGrLine {
public:
    PointLine(const std::vector<Point>& points, bool spread) : m_HasSpread(spread)
    {
        m_Points.reserve(points.size());
        for (const Point& p : points) {
            m_Points.push_back({p.x, static_cast<float>(p.y), p.flags});
            if (spread)
                m_Spread.push_back(p.spread);
        }
    }
    int IsFunction() override { return 0; }
    int HasSpread() override { return m_HasSpread ? 1 : 0; }
    int GetPointCount() override { return static_cast<int>(m_Points.size()); }
    int GetPoint(int i, double* x, double* y) override
    {
        *x = m_Points[i].x;
        *y = m_Points[i].y;
        return m_Points[i].flags;
    }
    int GetPoints(int first, int count, double* x, double* y, int* flags) override
    {
        const Stored* p = m_Points.data() + first;
        for (int i = 0; i < count; ++i) {
            x[i] = p[i].x;
            y[i] = p[i].y;
            flags[i] = p[i].flags;
        }
        return count;
    }
    double GetSpread(int i) override { return m_HasSpread ? m_Spread[i] : 0.0; }
    void GetXRange(double* lo, double* hi) override { *lo = 1e100, *hi = -1e100; }
    void GetYRange(double* lo, double* hi) override { *lo = 1e100, *hi = -1e100; }
    double GetValue(const double*) override { return 1e200; }

private:
    struct Stored {
        double x;
        float y;
        int flags;
    };
    std::vector<Stored> m_Points;
    std::vector<double> m_Spread;
    bool m_HasSpread;
};

// ECG-like samples: a beat every 0.6..1.1 s with a narrow R wave and a broad
// T wave over a slowly wandering baseline.
GrSyntheticList::Samples MakeSignal(int64_t count, double rate)
{
    GrSyntheticList::Samples samples(static_cast<size_t>(count));
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> beatLength(0.6, 1.1);
    double beatStart = 0, beat = 0.8;
    for (int64_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        if (t - beatStart >= beat) {
            beatStart += beat;
            beat = beatLength(rng);
        }
        const double u = t - beatStart;
        double v = 2000 + 300 * std::sin(t * 0.05);
        if (u < 0.04)
            v += 2500 * std::sin(u / 0.04 * 3.14159265);
        else if (u > 0.2 && u < 0.4)
            v += 500 * std::sin((u - 0.2) / 0.2 * 3.14159265);
        samples[static_cast<size_t>(i)] = static_cast<int16_t>(v);
    }
    return samples;
}

} // namespace

GrSyntheticList::GrSyntheticList(const GrSyntheticOptions& o)
{
    const double span = o.hours * 3600;
    const auto count = static_cast<int64_t>(span * o.sampleRate);
    m_Samples = MakeSignal(count, o.sampleRate);
    m_Envelope.Build(count, [this](int64_t i) { return double(m_Samples[static_cast<size_t>(i)]); });
    for (int g = 0; g < o.signalGraphs; ++g) {
        std::vector<std::unique_ptr<OGrLine>> lines;
        lines.push_back(std::make_unique<SampledLine>(m_Samples, m_Envelope, o.startTime, o.sampleRate, 1.0 / (g + 1),
                                                      -100.0 * g));
        AddGraph(std::move(lines));
    }

    std::mt19937 rng(777);
    std::normal_distribution<double> noise(0, 1);
    if (o.pulsePoints > 0) {
        // Pulse rate: rate-0 points stand alone, faults are wild values that
        // automatic scaling skips.
        std::vector<Point> pulse;
        for (int i = 0; i < o.pulsePoints; ++i) {
            const double x = o.startTime + span * i / o.pulsePoints;
            double y = 70 + 15 * std::sin(x / 5000) + 2 * noise(rng);
            int flags = kGrPtNoMarker;
            if (i % 9973 == 500) {
                y = 0;
                flags = 0xC6;
            } else if (i % 14999 == 700) {
                y = 240;
                flags |= kGrPtFault;
            } else if (i % 50 == 0) {
                flags = 0;
            }
            pulse.push_back({x, y, 0, flags});
        }
        std::vector<std::unique_ptr<OGrLine>> lines;
        lines.push_back(std::make_unique<PointLine>(pulse, false));
        AddGraph(std::move(lines));
    }
    if (o.temperaturePoints > 0) {
        std::vector<Point> temperature;
        for (int i = 0; i < o.temperaturePoints; ++i) {
            const double x = o.startTime + span * i / o.temperaturePoints;
            temperature.push_back({x, 36.6 + 0.4 * std::sin(x / 20000) + 0.05 * noise(rng), 0, 0});
        }
        std::vector<std::unique_ptr<OGrLine>> lines;
        lines.push_back(std::make_unique<PointLine>(temperature, false));
        AddGraph(std::move(lines));
    }
    if (o.bandPoints > 0) {
        // A spread band with its centre line drawn as a second line.
        std::vector<Point> band, centre;
        for (int i = 0; i < o.bandPoints; ++i) {
            const double x = o.startTime + span * i / o.bandPoints;
            const double y = 1.0 + 0.3 * std::sin(x / 3000);
            const double s = 0.1 + 0.05 * std::fabs(noise(rng));
            band.push_back({x, y, s, 0});
            centre.push_back({x, y, 0, kGrPtNoMarker});
        }
        std::vector<std::unique_ptr<OGrLine>> lines;
        lines.push_back(std::make_unique<PointLine>(band, true));
        lines.push_back(std::make_unique<PointLine>(centre, false));
        AddGraph(std::move(lines));
    }
}

GrSyntheticList::~GrSyntheticList() = default;

void GrSyntheticList::AddGraph(std::vector<std::unique_ptr<OGrLine>> lines)
{
    Graph graph;
    graph.axis = std::make_unique<TGrDia>();
    graph.lines = std::move(lines);
    m_Graphs.push_back(std::move(graph));
}
