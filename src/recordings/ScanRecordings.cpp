#include "ScanRecordings.h"

#include "DateCache.h"
#include "ODevice.h"
#include "RecordingFormat.h"
#include "StrFormat.h"

#include <optional>
#include <vector>

namespace {

constexpr uint32_t kLargestProbeStep = 2048;

class Scanner {
public:
    Scanner(ODevice& device, const std::atomic<int>& state, const RowSink& sink, const StartTimeLookup& lookup)
        : m_Device(device), m_State(state), m_Sink(sink), m_Lookup(lookup)
    {
    }

    ScanResult Run(uint32_t firstFreeSector)
    {
        m_Sink(FirstFreeRow(firstFreeSector));
        uint32_t top = firstFreeSector;
        m_Boundary = firstFreeSector;
        while (top > kFirstRecordingSector) {
            if (Interrupted())
                return Stop();
            uint32_t first = 0, last = 0;
            const auto found = FindNewestBelow(top, first, last);
            if (found == Probe::Cancelled)
                return Stop();
            if (found == Probe::NothingFound) {
                // The probes reached below the area's start and saw nothing:
                // the rest of the area is examined sector by sector.
                if (top - kFirstRecordingSector > kLargestProbeStep)
                    break;
                std::vector<Found> inGap;
                if (!ExamineGap(kFirstRecordingSector, top, inGap))
                    return Stop();
                for (const Found& recording : inGap)
                    AddRow(recording);
                break;
            }
            if (Interrupted())
                return Stop();
            const uint32_t middle = last - (last - first + 1) / 2;
            if (!MiddleMatches(middle, first)) {
                if (Interrupted())
                    return Stop();
                top = middle + 1;
                continue;
            }
            // The probes jump over the sectors between the recording and top:
            // a short recording there is found only by reading each of them.
            std::vector<Found> inGap;
            if (!ExamineGap(last + 1, top, inGap))
                return Stop();
            inGap.push_back({first, last});
            for (const Found& recording : inGap)
                AddRow(recording);
            if (top <= first)
                break;
            top = first;
        }
        return Finish();
    }

private:
    enum class Probe { Found, NothingFound, Cancelled };
    struct Found {
        uint32_t first, last;
    };

    // Lists the recording with its gap up to the boundary, which becomes its
    // start.
    void AddRow(const Found& recording)
    {
        ++m_Result.recordings;
        m_Sink(RecordingEntryRow(m_Result.recordings, recording.first, recording.last, StartTimeText(recording.first),
                                 m_Boundary - recording.last - 1));
        m_Boundary = recording.first;
    }

    // Reads the sectors from end - 1 down to from, one short read each, and
    // collects, newest first, every run of sectors that names its own lowest
    // sector as the first: a whole recording. A run whose start lies below
    // from, or behind an unreadable sector, stays part of the gap. False when
    // a cancel came.
    bool ExamineGap(uint32_t from, uint32_t end, std::vector<Found>& found)
    {
        std::optional<Found> run;
        uint32_t runFirstField = 0;
        const auto closeRun = [&] {
            if (run && run->first == runFirstField)
                found.push_back(*run);
            run.reset();
        };
        for (uint32_t n = end; n-- > from;) {
            if (Interrupted())
                return false;
            uint8_t header[8] = {};
            if (!m_Device.IsRecordingMember(n, header)) {
                closeRun();
                continue;
            }
            const uint32_t first = ReadLE32(header + 4);
            if (run && first != runFirstField)
                closeRun();
            if (!run) {
                run = Found{n, n};
                runFirstField = first;
            }
            run->first = n;
        }
        if (Interrupted())
            return false;
        closeRun();
        return true;
    }

    // A cancel, or a read the device left unanswered: a silent or dead line
    // answers no later read either, and taking each unanswered read for an
    // empty sector would list the unread part as a gap.
    bool Interrupted()
    {
        m_LineLost = m_LineLost || m_Device.m_ReadUnanswered;
        return m_LineLost || m_State.load(std::memory_order_acquire) != kScanRunning;
    }

    // The newest recording sector at top - 1, top - 2, top - 4, ... top - 2048.
    Probe FindNewestBelow(uint32_t top, uint32_t& first, uint32_t& last)
    {
        for (uint32_t step = 1; step <= kLargestProbeStep; step *= 2) {
            if (Interrupted())
                return Probe::Cancelled;
            uint8_t header[8] = {};
            if (m_Device.IsRecordingSector(top - step, header)) {
                first = ReadLE32(header + 4);
                return FindLastMember(top - step, top - step / 2, first, last);
            }
        }
        return Interrupted() ? Probe::Cancelled : Probe::NothingFound;
    }

    // A doubled step may land inside the recording, short of its end: the
    // recording's last sector lies between the hit (a member) and the probe
    // above it that missed. Halving that span finds it, so the row never
    // shows a recording shorter than it is.
    Probe FindLastMember(uint32_t member, uint32_t miss, uint32_t first, uint32_t& last)
    {
        while (miss - member > 1) {
            if (Interrupted())
                return Probe::Cancelled;
            const uint32_t middle = member + (miss - member) / 2;
            if (BelongsTo(middle, first))
                member = middle;
            else
                miss = middle;
        }
        if (Interrupted())
            return Probe::Cancelled;
        last = member;
        return Probe::Found;
    }

    bool BelongsTo(uint32_t sector, uint32_t first)
    {
        uint8_t header[8] = {};
        return m_Device.ReadSector(sector, 8, header) && ReadLE32(header) == kRecordingSignature &&
               ReadLE32(header + 4) == first;
    }

    bool MiddleMatches(uint32_t middle, uint32_t first)
    {
        // first was checked against 65536 <= first <= last by the probe.
        return first <= middle && BelongsTo(middle, first);
    }

    std::string StartTimeText(uint32_t first) const
    {
        const auto time = m_Lookup ? m_Lookup(first) : LookUpStartTime(first);
        return time ? FileTimeText(*time) : std::string();
    }

    ScanResult Stop()
    {
        if (m_LineLost) {
            m_Sink(IncompleteListRow(m_Boundary));
            m_Result.incomplete = true;
            m_Result.unreadBelow = m_Boundary;
            return Finish();
        }
        m_Sink(StopRow());
        m_Result.cancelled = true;
        return Finish();
    }

    ScanResult Finish()
    {
        m_Result.readErrorText = m_Device.m_ReadErrorText;
        return m_Result;
    }

    ODevice& m_Device;
    const std::atomic<int>& m_State;
    const RowSink& m_Sink;
    const StartTimeLookup& m_Lookup;
    ScanResult m_Result;
    // Everything from here up to the first free sector has been listed.
    uint32_t m_Boundary = 0;
    bool m_LineLost = false;
};

} // namespace

std::string IncompleteListText(const ScanResult& result)
{
    if (!result.incomplete)
        return {};
    return StrFormat("Список неполон: устройство перестало отвечать, сектора с 0x%x по 0x%x не прочитаны "
                     "(это не свободное место)",
                     kFirstRecordingSector, result.unreadBelow - 1);
}

ScanResult ScanRecordings(ODevice& device, uint32_t firstFreeSector, const std::atomic<int>& state, const RowSink& sink,
                          StartTimeLookup lookup)
{
    return Scanner(device, state, sink, lookup).Run(firstFreeSector);
}
