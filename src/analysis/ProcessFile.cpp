#include "ProcessFile.h"

#include "BeatClassifier.h"
#include "BeatSamples.h"
#include "DetectorKind.h"
#include "EcgTime.h"
#include "OCcpMeter.h"
#include "OConsole.h"
#include "OMedFilter.h"
#include "OPassDisplay.h"
#include "OPreciseDetector.h"
#include "SectorDecoders.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <vector>

static_assert(kMaxPassSectors == INT32_MAX / kSamplesPerSector);

namespace {

constexpr int kChunkSectors = 128; // 64 KiB per read

} // namespace

// The pass itself; a friend of OEcgFile, the only writer of its channels.
class OProcessPass {
public:
    OProcessPass(OEcgFile& file, OEKGFilter& filter, OProcessControl& control, const OPassOutputs& outputs)
        : m_File(file), m_Filter(filter), m_Control(control), m_Outputs(outputs)
    {
    }

    int64_t Run()
    {
        OEcgFile& f = m_File;
        f.m_ImpulseInfo.SetCount(0);
        f.m_Puls.SetCount(0);
        f.m_Thermo.SetCount(0);
        f.m_FMs.SetCount(0);
        f.m_AUXs.SetCount(0);
        f.m_ProcessedN = 0;
        f.m_FrequenciesLeftOut = !m_Outputs.frequencies;
        f.m_PassCheck.reset();
        f.m_FilterShape.reset();
        f.m_Display.reset();
        Console().Write("Обработка ЭКГ - файла \n");

        OImpulse* const impulses = f.m_ImpulseInfo.Data();
        const int64_t capacity = f.m_ImpulseInfo.Present() ? f.m_SectorCount : 0;
        m_Filter.AttachImpulses(impulses, capacity);
        m_Filter.Prepare();
        if (m_Filter.m_Detector == kDetectorPrecise && impulses) {
            // The impulses come from the precise detector. The standard
            // filter only runs to draw the filtered signal, and its threshold
            // then stays 0.
            m_Filter.AttachImpulses(nullptr, 0);
            m_Precise = std::make_unique<OPreciseDetector>();
            m_Precise->Start(impulses, capacity);
        }
        m_RunFilter = !m_Precise || m_Outputs.display;
        f.m_FilterShape = m_Filter.Shape();
        m_OutIndex = m_Filter.Delay();
        m_Raw = 0;
        m_Median.emplace(5);
        m_PreviousTemperature = -100.0;
        m_Ccp.Reset();

        const int64_t sectors = f.IsOpen() ? std::min(f.m_SectorCount, kMaxPassSectors) : 0;
        if (m_Outputs.display && f.IsOpen())
            m_Display = NewDisplay(sectors);
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
        if (m_Display) {
            for (auto* track : {&m_Display->filtered, &m_Display->threshold})
                track->Close();
            m_Display->rawEcg.Close();
            for (auto* track : {&m_Display->temperature, &m_Display->accelX, &m_Display->accelY, &m_Display->accelZ})
                track->Close();
            f.m_Display = std::move(m_Display);
        }
        Console()
            .Write("Обработка окончена, m_ImpulseInfoN = ")
            .WriteInt(static_cast<int32_t>(ImpulseCount()))
            .Write("\n");
        return s;
    }

private:
    int64_t ImpulseCount() const { return m_Precise ? m_Precise->Count() : m_Filter.ImpulseCount(); }

    static std::unique_ptr<OPassDisplay> NewDisplay(int64_t sectors)
    {
        auto d = std::make_unique<OPassDisplay>();
        d->checkpoints.reserve(static_cast<size_t>(sectors / OFilteredSpan::kCheckpointSectors + 1));
        for (auto* track : {&d->filtered, &d->threshold})
            track->Reserve(sectors * kSamplesPerSector);
        d->rawEcg.Reserve(sectors * kSamplesPerSector);
        for (auto* track : {&d->temperature, &d->accelX, &d->accelY, &d->accelZ})
            track->Reserve(sectors);
        return d;
    }

    void Sector(int64_t s, const uint8_t* sector)
    {
        m_Checker.Add(s, sector);
        const double temperature = SectorTemperature(sector);
        if (m_Display)
            DisplaySector(s, sector, temperature);
        Samples(sector);

        m_Median->Push(temperature);
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
        if (s >= 4 && m_Outputs.frequencies && m_File.m_FMs.Present())
            m_File.m_FMs.Append({rough, fine});
    }

    // The raw series' extremes, and the threshold's state at its checkpoints.
    void DisplaySector(int64_t s, const uint8_t* sector, double temperature)
    {
        OPassDisplay& d = *m_Display;
        if (s % OFilteredSpan::kCheckpointSectors == 0)
            d.checkpoints.push_back(m_Filter.ThresholdState());
        uint16_t raw[kSamplesPerSector];
        for (int i = 0; i < kSamplesPerSector; ++i)
            raw[i] = SectorSampleWord(sector, i);
        d.rawEcg.AddMany(raw, kSamplesPerSector);
        d.temperature.Add(temperature);
        if (s == 0) {
            for (auto* track : {&d.accelX, &d.accelY, &d.accelZ})
                track->AddNone();
            return;
        }
        double ax, ay, az;
        SectorAccelerations(sector, ax, ay, az);
        d.accelX.Add(ax);
        d.accelY.Add(ay);
        d.accelZ.Add(az);
    }

    void Samples(const uint8_t* sector)
    {
        if (m_Precise && !m_Display && !m_RunFilter) {
            // The precise detector alone: it takes the words as they are.
            int16_t words[kSamplesPerSector];
            for (int i = 0; i < kSamplesPerSector; ++i)
                words[i] = SectorSample(sector, i);
            m_Precise->Process(words, kSamplesPerSector);
            m_Raw += kSamplesPerSector;
            m_File.m_ProcessedN = std::max<int64_t>(m_Raw + m_Filter.Delay(), 0);
            return;
        }
        double x[kSamplesPerSector];
        for (int i = 0; i < kSamplesPerSector; ++i)
            x[i] = SectorSample(sector, i);
        if (m_Display) {
            // Output position out belongs to the raw sample out samples in.
            int16_t filtered[kSamplesPerSector], threshold[kSamplesPerSector];
            int n = 0;
            int64_t out = m_OutIndex;
            m_Filter.ProcessBlock(x, kSamplesPerSector, [&](double z, double thr) {
                if (out++ >= 0) {
                    filtered[n] = FilteredSample(z);
                    threshold[n++] = FilteredSample(thr);
                }
            });
            m_OutIndex = out;
            m_Display->filtered.AddMany(filtered, n);
            m_Display->threshold.AddMany(threshold, n);
        } else if (m_RunFilter) {
            m_Filter.ProcessBlock(x, kSamplesPerSector, [](double, double) {});
        }
        if (m_Precise)
            m_Precise->Process(x, kSamplesPerSector);
        m_Raw += kSamplesPerSector;
        m_File.m_ProcessedN = std::max<int64_t>(m_Raw + m_Filter.Delay(), 0);
    }

    OEcgFile& m_File;
    OEKGFilter& m_Filter;
    OProcessControl& m_Control;
    const OPassOutputs& m_Outputs;
    bool m_RunFilter = true;
    int64_t m_OutIndex = 0;
    int64_t m_Raw = 0; // raw samples processed
    std::unique_ptr<OPassDisplay> m_Display;
    std::optional<OMedFilter> m_Median;
    double m_PreviousTemperature = -100.0;
    OCcpMeter m_Ccp;
    std::unique_ptr<OPreciseDetector> m_Precise;
    ORecordingChecker m_Checker;
};

int64_t ProcessFile(OEcgFile& file, OEKGFilter& filter, OProcessControl& control, const OPassOutputs& outputs)
{
    return OProcessPass(file, filter, control, outputs).Run();
}
