#include "ProcessFile.h"

#include "BeatClassifier.h"
#include "BeatSamples.h"
#include "DetectorKind.h"
#include "EcgTime.h"
#include "OCcpMeter.h"
#include "OConsole.h"
#include "OMedFilter.h"
#include "OPreciseDetector.h"
#include "SectorDecoders.h"

#include <algorithm>
#include <climits>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int kChunkSectors = 128; // 64 KiB per read
// Sample positions are 32-bit; longer files (over three weeks) are processed
// up to that bound.
constexpr int64_t kMaxSectors = INT32_MAX / kSamplesPerSector;

// Clamped, then truncated toward zero. Two of these run for every sample:
// with SSE2 they are a max, a min and a conversion, without branches.
int16_t ToSample(double v)
{
#ifdef __SSE2__
    const __m128d clamped = _mm_min_sd(_mm_max_sd(_mm_set_sd(v), _mm_set_sd(-32768.0)), _mm_set_sd(32767.0));
    return static_cast<int16_t>(_mm_cvttsd_si32(clamped));
#else
    return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
#endif
}

} // namespace

// The pass itself; a friend of OEcgFile, the only writer of its channels.
class OProcessPass {
public:
    OProcessPass(OEcgFile& file, OEKGFilter& filter, OProcessControl& control)
        : m_File(file), m_Filter(filter), m_Control(control)
    {
    }

    int64_t Run()
    {
        OEcgFile& f = m_File;
        f.m_ProcessedData.SetCount(0);
        f.m_ProcessedPorog.SetCount(0);
        f.m_ImpulseInfo.SetCount(0);
        f.m_Puls.SetCount(0);
        f.m_Thermo.SetCount(0);
        f.m_FMs.SetCount(0);
        f.m_AUXs.SetCount(0);
        f.m_ProcessedN = 0;
        f.m_PassCheck.reset();
        Console().Write("Обработка ЭКГ - файла \n");

        OImpulse* const impulses = f.m_ImpulseInfo.Data();
        const int64_t capacity = f.m_ImpulseInfo.Present() ? f.m_SectorCount : 0;
        m_Filter.AttachImpulses(impulses, capacity);
        m_Filter.Prepare();
        if (m_Filter.m_Detector == kDetectorPrecise && impulses) {
            // The filter still draws the filtered signal; the impulses come
            // from the precise detector (the threshold channel stays 0).
            m_Filter.AttachImpulses(nullptr, 0);
            m_Precise = std::make_unique<OPreciseDetector>();
            m_Precise->Start(impulses, capacity);
        }
        m_OutIndex = m_Filter.Delay();
        m_Median.emplace(5);
        m_PreviousTemperature = -100.0;
        m_Ccp.Reset();

        const int64_t sectors = f.IsOpen() ? std::min(f.m_SectorCount, kMaxSectors) : 0;
        std::vector<uint8_t> buffer(static_cast<size_t>(kChunkSectors) * kSectorBytes);
        int64_t s = 0;
        while (s < sectors && m_Control.cancel.load(std::memory_order_relaxed) == 0) {
            const int64_t got = f.ReadSectors(s, std::min<int64_t>(kChunkSectors, sectors - s), buffer.data());
            int64_t i = 0;
            for (; i < got && m_Control.cancel.load(std::memory_order_relaxed) == 0; ++i, ++s) {
                m_Control.progress.store(static_cast<int32_t>(s), std::memory_order_relaxed);
                m_Control.impulses.store(static_cast<int32_t>(ImpulseCount()), std::memory_order_relaxed);
                Sector(s, buffer.data() + i * kSectorBytes);
            }
            if (i < kChunkSectors && s < sectors)
                break; // short read or cancel
        }

        m_Filter.Finish();
        if (m_Precise)
            m_Precise->Finish();
        f.m_ImpulseInfo.SetCount(ImpulseCount());
        // The classes go beside the flags; the pulse rate below reads them
        // only after the precise detector.
        if (f.m_ImpulseInfo.Present() && m_Control.cancel.load(std::memory_order_relaxed) == 0)
            ClassifyBeats(f.m_ImpulseInfo.Data(), f.m_ImpulseInfo.Count(), FileSampleSource(f));
        if (f.m_Puls.Present())
            f.m_Puls.SetCount(m_Filter.PulseRate(f.m_Puls.Data(), f.m_Puls.Capacity(), f.m_ImpulseInfo.Data(),
                                                 f.m_ImpulseInfo.Count()));
        m_Control.impulses.store(static_cast<int32_t>(ImpulseCount()), std::memory_order_relaxed);
        if (m_Control.cancel.load(std::memory_order_relaxed) == 0)
            f.m_PassCheck = m_Checker.Result();
        Console()
            .Write("Обработка окончена, m_ImpulseInfoN = ")
            .WriteInt(static_cast<int32_t>(ImpulseCount()))
            .Write("\n");
        return s;
    }

private:
    int64_t ImpulseCount() const { return m_Precise ? m_Precise->Count() : m_Filter.ImpulseCount(); }

    void Sector(int64_t s, const uint8_t* sector)
    {
        m_Checker.Add(s, sector);
        Samples(sector);

        m_Median->Push(SectorTemperature(sector));
        if (m_Median->Count() >= 5 && m_File.m_Thermo.Present()) {
            const double t = m_Median->Median();
            if (t != -60.0 && t != m_PreviousTemperature) {
                if (m_PreviousTemperature < -60)
                    m_PreviousTemperature = t;
                m_File.m_Thermo.Append({(s - 3) * kSectorDuration, (t + m_PreviousTemperature) / 2});
                m_PreviousTemperature = t;
            }
        }

        double rough, fine;
        m_Ccp.Update(sector, rough, fine);
        if (s >= 4 && m_File.m_FMs.Present())
            m_File.m_FMs.Append({rough, fine});
    }

    void Samples(const uint8_t* sector)
    {
        double x[kSamplesPerSector];
        for (int i = 0; i < kSamplesPerSector; ++i)
            x[i] = SectorSample(sector, i);
        int16_t* const data = m_File.m_ProcessedData.Data();
        int16_t* const porog = m_File.m_ProcessedPorog.Data();
        int64_t out = m_OutIndex;
        if (data && porog && out >= 0) {
            // The usual case, after the first sector: both arrays, no skipping.
            m_Filter.ProcessBlock(x, kSamplesPerSector, [&](double z, double thr) {
                data[out] = ToSample(z);
                porog[out] = ToSample(thr);
                ++out;
            });
        } else {
            m_Filter.ProcessBlock(x, kSamplesPerSector, [&](double z, double thr) {
                if (out >= 0) {
                    if (data)
                        data[out] = ToSample(z);
                    if (porog)
                        porog[out] = ToSample(thr);
                }
                ++out;
            });
        }
        m_OutIndex = out;
        if (m_Precise)
            m_Precise->Process(x, kSamplesPerSector);
        const int64_t produced = std::max<int64_t>(out, 0);
        m_File.m_ProcessedData.SetCount(data ? produced : 0);
        m_File.m_ProcessedPorog.SetCount(porog ? produced : 0);
        m_File.m_ProcessedN = produced;
    }

    OEcgFile& m_File;
    OEKGFilter& m_Filter;
    OProcessControl& m_Control;
    int64_t m_OutIndex = 0;
    std::optional<OMedFilter> m_Median;
    double m_PreviousTemperature = -100.0;
    OCcpMeter m_Ccp;
    std::unique_ptr<OPreciseDetector> m_Precise;
    ORecordingChecker m_Checker;
};

int64_t ProcessFile(OEcgFile& file, OEKGFilter& filter, OProcessControl& control)
{
    return OProcessPass(file, filter, control).Run();
}
