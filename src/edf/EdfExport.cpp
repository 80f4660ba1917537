#include "EdfExport.h"

#include "EdfBeatMarks.h"
#include "EdfLayout.h"
#include "EdfSectorSeries.h"
#include "EdfStartDate.h"
#include "EdfWriteError.h"
#include "OFilteredSpan.h"
#include "SectorReader.h"
#include "SectorDecoders.h"

#include "Fatal.h"

#include <edflib.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// EDFlib keeps every mark until the file is closed, in one list it grows by
// reallocation; the heap keeps each outgrown copy's pages unless told to give
// them back, which over a week's 700 000 marks adds a third to the process.
constexpr int64_t kMarksBetweenTrims = (1 << 12) - 1;

void ReleaseFreedHeap()
{
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
}

struct OSignal {
    const char* label;
    std::string dimension;
    double physicalMin, physicalMax;
    int samplesPerRecord;
};

OEdfExportResult Failure(std::string message)
{
    OEdfExportResult result;
    result.status = OEdfExportResult::Failed;
    result.message = std::move(message);
    return result;
}

// The parts of one export, run in order; any step may fail with a message.
class OEdfExport {
public:
    OEdfExport(const OEcgFile& file, const std::string& outPath, const OEdfExportOptions& options,
               OProcessControl& control)
        : m_File(file), m_Out(outPath), m_Partial(EdfPartialPath(outPath)), m_Options(options), m_Control(control),
          m_Series(file), m_Reader(file)
    {
    }

    OEdfExportResult Run()
    {
        const int64_t sectors = m_File.SectorCount();
        if (!m_File.IsOpen() || sectors < 1)
            return Failure("Нет открытого файла ЭКГ для экспорта в EDF+");
        if (m_Options.derived && (!m_File.FilterShape() || m_File.ProcessedN() == 0))
            return Failure("Для экспорта отфильтрованного сигнала и частоты пульса нужна обработка записи");
        if (m_Options.derived)
            m_Filtered.emplace(m_File, *m_File.FilterShape(), m_File.ProcessedN(), nullptr);
        m_Records = EdfRecordCount(sectors);
        const auto& impulses = m_File.ImpulseInfo();
        m_Marks = m_Options.annotations ? impulses.Count() : 0;
        if (m_Options.annotations)
            m_Events = m_Options.events
                           ? *m_Options.events
                           : FindRhythmEvents(impulses.Data(), impulses.Count(), sectors * kSamplesPerSector).events;
        m_Result.annotationSignals = EdfAnnotationSignalsNeeded(impulses.Data(), m_Marks, sectors, m_Events);
        if (m_Result.annotationSignals > kEdfMaxAnnotationSignals)
            return Failure("Слишком много импульсов в одной записи данных EDF+: отметки не поместятся в файл");
        if (!ScanRanges())
            return Failure(ReadFailure());

        if (EdfNoRoomFor(m_Out, EstimatedBytes()))
            return Failure(EdfWriteFailureText(m_Out, ENOSPC));
        std::remove(m_Partial.c_str());
        m_Handle = edfopen_file_writeonly(m_Partial.c_str(), EDFLIB_FILETYPE_EDFPLUS, int(m_Signals.size()));
        if (m_Handle < 0)
            return Failure(EdfCreateFailureText(m_Out, errno));
        const bool written = WriteHeader() && WriteRecords() && WriteMarks();
        const int writeErrno = errno;
        const bool closed = edfclose_file(m_Handle) == 0;
        const int closeErrno = errno;
        m_Handle = -1;
        if (m_Control.cancel.load(std::memory_order_relaxed) != 0) {
            std::remove(m_Partial.c_str());
            OEdfExportResult result;
            result.status = OEdfExportResult::Cancelled;
            result.message = "Экспорт EDF+ отменён, файл не записан:\n" + m_Out;
            return result;
        }
        if (!written || !closed) {
            const bool refused = EdfDiskRefused(m_Partial);
            std::remove(m_Partial.c_str());
            if (m_ReadFailed)
                return Failure(ReadFailure());
            return Failure(EdfWriteFailureText(m_Out, refused ? ENOSPC : written ? closeErrno : writeErrno));
        }
        if (std::string problem = CheckWrittenFile(); !problem.empty()) {
            // A write the stream lost shows up only here.
            const bool refused = EdfDiskRefused(m_Partial);
            std::remove(m_Partial.c_str());
            return Failure(refused ? EdfWriteFailureText(m_Out, ENOSPC) : problem);
        }
        if (std::rename(m_Partial.c_str(), m_Out.c_str()) != 0) {
            const int e = errno;
            std::remove(m_Partial.c_str());
            return Failure(EdfWriteFailureText(m_Out, e));
        }
        return Success();
    }

private:
    std::string ReadFailure() const
    {
        const int error = m_Reader.Errno();
        return "Не удалось прочитать файл ЭКГ\n" + m_File.FilePath() + "\n" +
               (error != 0 ? SystemErrorText(static_cast<uint32_t>(error)) : "файл стал короче, чем при открытии");
    }

    // Size of the file to come, a little generously (EDFlib gives each
    // annotation signal of a record at most 120 bytes).
    int64_t EstimatedBytes() const
    {
        int64_t samples = 0;
        for (const OSignal& s : m_Signals)
            samples += s.samplesPerRecord;
        const int64_t signals = static_cast<int64_t>(m_Signals.size()) + m_Result.annotationSignals;
        return 256 * (signals + 1) + m_Records * (2 * samples + 120 * m_Result.annotationSignals);
    }

    // One pass over the sectors for the ranges of the per-sector signals.
    bool ScanRanges()
    {
        OEdfRange temperature, x, y, z, ccp, pulse;
        for (int64_t k = 0; k < m_File.SectorCount(); ++k) {
            const uint8_t* sector = m_Reader.Sector(k);
            if (!sector)
                return false;
            const OSectorSeries::Values v = m_Series.At(k, sector);
            temperature.Include(v.temperature);
            x.Include(v.x);
            y.Include(v.y);
            z.Include(v.z);
            ccp.Include(v.ccp);
            pulse.Include(v.pulse);
        }
        m_Series.Rewind();
        m_Ranges = {temperature, x, y, z, ccp, pulse};
        for (OEdfRange& r : m_Ranges)
            r.Finish();

        const bool calibrated = m_Options.unitsPerMillivolt > 0;
        const double scale = calibrated ? 1 / m_Options.unitsPerMillivolt : 1;
        // Uncalibrated, the physical value is the device value itself.
        const std::string ecgUnit = calibrated ? "mV" : "counts";
        auto ecg = [&](const char* label) {
            return OSignal{label, ecgUnit, kEdfDigitalMin * scale, kEdfDigitalMax * scale, kEdfEcgPerRecord};
        };
        auto perSector = [&](const char* label, const char* unit, const OEdfRange& r) {
            return OSignal{label, unit, r.low, r.high, kEdfSectorsPerRecord};
        };
        m_Signals = {ecg("ECG"),
                     perSector("Temperature", "degC", m_Ranges[0]),
                     perSector("Accel X", "counts", m_Ranges[1]),
                     perSector("Accel Y", "counts", m_Ranges[2]),
                     perSector("Accel Z", "counts", m_Ranges[3]),
                     perSector("CCP1", "Hz", m_Ranges[4])};
        if (m_Options.derived) {
            m_Signals.push_back(ecg("ECG filtered"));
            m_Signals.push_back(perSector("Pulse rate", "bpm", m_Ranges[5]));
        }
        return true;
    }

    bool WriteHeader()
    {
        bool ok = edf_set_datarecord_duration(m_Handle, kEdfRecordDuration10us) == 0 &&
                  edf_set_number_of_annotation_signals(m_Handle, m_Result.annotationSignals) == 0;
        for (int i = 0; i < int(m_Signals.size()); ++i) {
            const OSignal& s = m_Signals[size_t(i)];
            ok = ok && edf_set_samplefrequency(m_Handle, i, s.samplesPerRecord) == 0 &&
                 edf_set_physical_minimum(m_Handle, i, s.physicalMin) == 0 &&
                 edf_set_physical_maximum(m_Handle, i, s.physicalMax) == 0 &&
                 edf_set_digital_minimum(m_Handle, i, kEdfDigitalMin) == 0 &&
                 edf_set_digital_maximum(m_Handle, i, kEdfDigitalMax) == 0 &&
                 edf_set_label(m_Handle, i, s.label) == 0 &&
                 edf_set_physical_dimension(m_Handle, i, s.dimension.c_str()) == 0;
        }
        // EDFlib always writes a date; an unknown one is the agreed 01.01.1985.
        const ORecordingStart start = EdfRecordingStart(m_File);
        m_Result.dateUnknown = !start.known;
        ok = ok && (start.known ? edf_set_startdatetime(m_Handle, start.year, start.month, start.day, start.hours,
                                                        start.minutes, start.seconds)
                                : edf_set_startdatetime(m_Handle, 1985, 1, 1, 0, 0, 0)) == 0;
        if (!m_Options.patient.empty())
            ok = ok && edf_set_patientname(m_Handle, EdfHeaderText(m_Options.patient).c_str()) == 0;
        std::string additional = std::string("detector_") + DetectorOptionName(m_Options.detector);
        if (!start.known)
            additional = "start_date_unknown " + additional;
        ok = ok && edf_set_equipment(m_Handle, "Brenna") == 0 &&
             edf_set_recording_additional(m_Handle, additional.c_str()) == 0;
        return ok;
    }

    bool WriteRecords()
    {
        int total = 0;
        for (const OSignal& s : m_Signals)
            total += s.samplesPerRecord;
        std::vector<short> record(static_cast<size_t>(total));
        const int64_t sectors = m_File.SectorCount();
        // The filtered ECG, recomputed record after record in one run; past
        // the pass's last output position its last value is repeated.
        std::vector<int16_t> filtered(kEdfEcgPerRecord);
        short lastFiltered = 0;
        for (int64_t r = 0; r < m_Records; ++r) {
            if (m_Control.cancel.load(std::memory_order_relaxed) != 0)
                return false;
            m_Control.progress.store(static_cast<int32_t>(std::min<int64_t>(r * kEdfSectorsPerRecord, INT32_MAX)),
                                     std::memory_order_relaxed);
            short* ecg = record.data();
            short* perSector = ecg + kEdfEcgPerRecord;
            for (int i = 0; i < kEdfSectorsPerRecord; ++i) {
                const int64_t k = r * kEdfSectorsPerRecord + i;
                const uint8_t* sector = m_Reader.Sector(k);
                if (!sector) {
                    m_ReadFailed = true;
                    return false;
                }
                for (int j = 0; j < kSamplesPerSector; ++j)
                    ecg[i * kSamplesPerSector + j] =
                        k < sectors ? SectorSample(sector, j) : SectorSample(sector, kSamplesPerSector - 1);
                const OSectorSeries::Values v = m_Series.At(std::min(k, sectors - 1), sector);
                const double values[] = {v.temperature, v.x, v.y, v.z, v.ccp};
                for (int s = 0; s < 5; ++s)
                    perSector[s * kEdfSectorsPerRecord + i] = m_Ranges[size_t(s)].Digital(values[s]);
                if (m_Options.derived)
                    perSector[5 * kEdfSectorsPerRecord + kEdfEcgPerRecord + i] = m_Ranges[5].Digital(v.pulse);
            }
            if (m_Options.derived) {
                short* out = perSector + 5 * kEdfSectorsPerRecord;
                const int64_t got =
                    m_Filtered->Compute(r * kEdfEcgPerRecord, kEdfEcgPerRecord, filtered.data(), nullptr);
                if (got > 0)
                    lastFiltered = filtered[size_t(got - 1)];
                for (int j = 0; j < kEdfEcgPerRecord; ++j)
                    out[j] = j < got ? filtered[size_t(j)] : lastFiltered;
            }
            if (edf_blockwrite_digital_short_samples(m_Handle, record.data()) != 0)
                return false;
        }
        m_Control.progress.store(static_cast<int32_t>(std::min<int64_t>(sectors, INT32_MAX)));
        return true;
    }

    bool WriteMarks()
    {
        const auto& impulses = m_File.ImpulseInfo();
        for (int64_t i = 0; i < m_Marks; ++i) {
            if (edfwrite_annotation_utf8(m_Handle, EdfOnset(impulses[i].Pos), -1, EdfBeatText(impulses[i])) != 0)
                return false;
            if ((i & kMarksBetweenTrims) == kMarksBetweenTrims)
                ReleaseFreedHeap();
        }
        m_Result.beatMarks = m_Marks;
        for (const ORhythmEvent& e : m_Events) {
            const char* kind = RhythmKindName(e.kind);
            if (edfwrite_annotation_utf8(m_Handle, EdfOnset(e.startSample), EdfDuration(e), kind) != 0)
                return false;
        }
        m_Result.eventMarks = static_cast<int64_t>(m_Events.size());
        return edfwrite_annotation_utf8(m_Handle, EdfOnset(m_File.SectorCount() * kSamplesPerSector), -1,
                                        kEdfEndMark) == 0;
    }

    // EDFlib's own reader must accept the file with all its data records.
    // The marks are not read back here: EDFlib keeps over 500 bytes per mark
    // in memory while it reads them, which a day's recording cannot afford;
    // the annotation signals were counted so that every mark has its place.
    std::string CheckWrittenFile()
    {
        auto header = std::make_unique<edf_hdr_struct>();
        if (edfopen_file_readonly(m_Partial.c_str(), header.get(), EDFLIB_DO_NOT_READ_ANNOTATIONS) != 0)
            return "Записанный файл EDF+ не читается (код EDFlib " + std::to_string(header->filetype) + "):\n" + m_Out;
        const long long records = header->datarecords_in_file;
        edfclose_file(header->handle);
        if (records != m_Records)
            return "В записанном файле EDF+ не хватает данных:\n" + m_Out;
        return {};
    }

    OEdfExportResult Success()
    {
        m_Result.status = OEdfExportResult::Written;
        m_Result.message = "Файл EDF+ записан:\n" + m_Out + "\nСигналов: " + std::to_string(m_Signals.size()) +
                           ", отметок R: " + std::to_string(m_Result.beatMarks);
        if (m_Result.eventMarks > 0)
            m_Result.message += ", событий ритма: " + std::to_string(m_Result.eventMarks);
        if (m_Result.dateUnknown)
            m_Result.message += "\nДата начала записи неизвестна: в файле стоит условная дата 01.01.1985";
        return m_Result;
    }

    const OEcgFile& m_File;
    const std::string m_Out;
    const std::string m_Partial;
    const OEdfExportOptions& m_Options;
    OProcessControl& m_Control;
    OSectorSeries m_Series;
    OSectorReader m_Reader;
    std::optional<OFilteredSpan> m_Filtered;
    std::vector<OEdfRange> m_Ranges;
    std::vector<OSignal> m_Signals;
    OEdfExportResult m_Result;
    int64_t m_Records = 0;
    int64_t m_Marks = 0;
    std::vector<ORhythmEvent> m_Events;
    int m_Handle = -1;
    bool m_ReadFailed = false;
};

} // namespace

std::string EdfPartialPath(const std::string& outPath)
{
    return outPath + ".part";
}

OEdfExportResult ExportEdf(const OEcgFile& file, const std::string& outPath, const OEdfExportOptions& options,
                           OProcessControl& control)
{
    return OEdfExport(file, outPath, options, control).Run();
}
