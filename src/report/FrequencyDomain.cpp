#include "FrequencyDomain.h"

#include <fftw3.h>

#include <cmath>
#include <map>
#include <mutex>
#include <numbers>

namespace {

std::mutex& PlanMutex()
{
    static std::mutex mutex;
    return mutex;
}

struct ONnPoint {
    double timeS, nnMs;
};

// Linear interpolation of the points (in time order) at t, held constant
// beyond the first and the last.
class OInterpolator {
public:
    explicit OInterpolator(const std::vector<ONnPoint>& points) : m_Points(points) {}
    double At(double t)
    {
        if (t <= m_Points.front().timeS)
            return m_Points.front().nnMs;
        if (t >= m_Points.back().timeS)
            return m_Points.back().nnMs;
        while (m_Points[m_Next].timeS < t)
            ++m_Next;
        const ONnPoint& a = m_Points[m_Next - 1];
        const ONnPoint& b = m_Points[m_Next];
        return a.nnMs + (b.nnMs - a.nnMs) * (t - a.timeS) / (b.timeS - a.timeS);
    }

private:
    const std::vector<ONnPoint>& m_Points;
    size_t m_Next = 1;
};

// FFTW's planner is not thread-safe: plans are made and destroyed under a
// lock; one plan serves every segment of an analysis.
class OSegmentFft {
public:
    OSegmentFft()
    {
        m_In = fftw_alloc_real(kPsdPoints);
        m_Out = fftw_alloc_complex(kPsdPoints / 2 + 1);
        {
            std::lock_guard lock(PlanMutex());
            m_Plan = fftw_plan_dft_r2c_1d(kPsdPoints, m_In, m_Out, FFTW_ESTIMATE);
        }
        double sum = 0;
        m_Window.resize(kPsdPoints);
        for (int j = 0; j < kPsdPoints; ++j) {
            m_Window[j] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * j / kPsdPoints); // periodic Hann
            sum += m_Window[j] * m_Window[j];
        }
        m_WindowPower = sum;
    }
    ~OSegmentFft()
    {
        {
            std::lock_guard lock(PlanMutex());
            fftw_destroy_plan(m_Plan);
        }
        fftw_free(m_In);
        fftw_free(m_Out);
    }
    OSegmentFft(const OSegmentFft&) = delete;
    OSegmentFft& operator=(const OSegmentFft&) = delete;

    // Adds the one-sided PSD of the segment's evenly sampled values to psd.
    void AddPsd(const std::vector<double>& values, std::vector<double>& psd)
    {
        double mean = 0;
        for (double v : values)
            mean += v;
        mean /= kPsdPoints;
        for (int j = 0; j < kPsdPoints; ++j)
            m_In[j] = (values[j] - mean) * m_Window[j];
        fftw_execute(m_Plan);
        const double scale = 1 / (kPsdRateHz * m_WindowPower);
        for (int k = 0; k <= kPsdPoints / 2; ++k) {
            const double power = m_Out[k][0] * m_Out[k][0] + m_Out[k][1] * m_Out[k][1];
            psd[k] += (k == 0 || k == kPsdPoints / 2 ? 1 : 2) * power * scale;
        }
    }

private:
    double* m_In;
    fftw_complex* m_Out;
    fftw_plan m_Plan;
    std::vector<double> m_Window;
    double m_WindowPower = 0;
};

} // namespace

double BandPower(const std::vector<double>& psd, const OBand& band)
{
    double sum = 0;
    for (size_t k = 0; k < psd.size(); ++k) {
        // Bin frequencies are k / 300 Hz; compared in bins so that the band
        // edges (multiples of the bin width) fall exactly where they should.
        const double bins = static_cast<double>(k);
        if (bins >= band.lowHz / kPsdBinHz - 1e-9 && bins < band.highHz / kPsdBinHz - 1e-9)
            sum += psd[k] * kPsdBinHz;
    }
    return sum;
}

OFrequencyDomain FrequencyDomain(const std::vector<ORrInterval>& rr)
{
    std::map<int64_t, std::vector<ONnPoint>> bySegment;
    for (const ORrInterval& r : rr)
        if (r.nn)
            bySegment[static_cast<int64_t>(std::floor(r.timeS / kSegmentS))].push_back({r.timeS, r.rrMs});

    OFrequencyDomain f;
    std::vector<double> sum(kPsdPoints / 2 + 1, 0.0);
    std::vector<double> values(kPsdPoints);
    std::optional<OSegmentFft> fft;
    for (const auto& [segment, points] : bySegment) {
        double seconds = 0;
        for (const ONnPoint& p : points)
            seconds += p.nnMs / 1000;
        if (seconds < kPsdMinNnS)
            continue;
        if (!fft)
            fft.emplace();
        OInterpolator at(points);
        const double start = segment * kSegmentS;
        for (int j = 0; j < kPsdPoints; ++j)
            values[j] = at.At(start + j / kPsdRateHz);
        fft->AddPsd(values, sum);
        ++f.segmentsUsed;
    }
    if (f.segmentsUsed == 0)
        return f;
    for (double& v : sum)
        v /= f.segmentsUsed;
    f.psd = std::move(sum);
    f.vlf = BandPower(f.psd, kVlf);
    f.lf = BandPower(f.psd, kLf);
    f.hf = BandPower(f.psd, kHf);
    if (*f.hf > 0)
        f.lfHf = *f.lf / *f.hf;
    return f;
}
