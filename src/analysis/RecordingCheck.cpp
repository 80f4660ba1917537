#include "RecordingCheck.h"

#include "EcgTime.h"
#include "OConsole.h"
#include "OEcgFile.h"
#include "SectorDecoders.h"
#include "SectorReader.h"
#include "StrFormat.h"

#include <algorithm>

namespace {

void Count(int64_t& count, int64_t& first, int64_t k)
{
    if (count++ == 0)
        first = k;
}

} // namespace

void ORecordingChecker::Add(int64_t k, const uint8_t* header)
{
    ++m_Check.sectors;
    if (SectorU32(header, 0) != kRecordingSignature) {
        Count(m_Check.withoutSignature, m_Check.firstWithoutSignature, k);
        return;
    }
    const uint32_t number = SectorU32(header, 8);
    const uint32_t ticks = SectorU32(header, 12);
    if (m_LastSigned >= 0) {
        // Modulo 2^32, as the device counts.
        const uint32_t step = static_cast<uint32_t>(k - m_LastSigned);
        if (number != m_LastNumber + step)
            Count(m_Check.numberBreaks, m_Check.firstNumberBreak, k);
        if (ticks != m_LastTicks + step * kTicksPerSector)
            Count(m_Check.tickBreaks, m_Check.firstTickBreak, k);
    }
    m_LastSigned = k;
    m_LastNumber = number;
    m_LastTicks = ticks;
}

ORecordingCheck CheckRecordingSectors(const OEcgFile& file)
{
    ORecordingChecker checker;
    OSectorReader reader(file);
    for (int64_t k = 0; k < file.SectorCount(); ++k) {
        const uint8_t* sector = reader.Sector(k);
        if (!sector)
            break;
        checker.Add(k, sector);
    }
    return checker.Result();
}

std::vector<std::string> ORecordingCheck::Lines() const
{
    std::vector<std::string> lines;
    if (withoutSignature > 0)
        lines.push_back(StrFormat("Секторов без сигнатуры записи: %lld из %lld, первый - сектор %lld",
                                  static_cast<long long>(withoutSignature), static_cast<long long>(sectors),
                                  static_cast<long long>(firstWithoutSignature)));
    if (numberBreaks > 0)
        lines.push_back(StrFormat("Нарушена последовательность номеров секторов: %lld раз, впервые в секторе %lld",
                                  static_cast<long long>(numberBreaks), static_cast<long long>(firstNumberBreak)));
    if (tickBreaks > 0)
        lines.push_back(StrFormat("Нарушена последовательность отсчетов времени: %lld раз, впервые в секторе %lld",
                                  static_cast<long long>(tickBreaks), static_cast<long long>(firstTickBreak)));
    return lines;
}

std::vector<std::string> ORecordingCheck::CliLines() const
{
    std::vector<std::string> lines;
    if (withoutSignature > 0)
        lines.push_back(StrFormat("check: %lld of %lld sectors without the recording signature, first: sector %lld",
                                  static_cast<long long>(withoutSignature), static_cast<long long>(sectors),
                                  static_cast<long long>(firstWithoutSignature)));
    if (numberBreaks > 0)
        lines.push_back(StrFormat("check: %lld sector numbers out of sequence, first: sector %lld",
                                  static_cast<long long>(numberBreaks), static_cast<long long>(firstNumberBreak)));
    if (tickBreaks > 0)
        lines.push_back(StrFormat("check: %lld tick counts out of sequence, first: sector %lld",
                                  static_cast<long long>(tickBreaks), static_cast<long long>(firstTickBreak)));
    return lines;
}

void ReportRecordingCheck(const ORecordingCheck& check)
{
    for (const std::string& line : check.Lines())
        Console().Write(line).Write("\n");
}
