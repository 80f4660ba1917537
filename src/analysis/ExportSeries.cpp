#include "ExportSeries.h"

#include "EcgTime.h"
#include "OConsole.h"
#include "ODialogs.h"
#include "OutputFile.h"
#include "SectorDecoders.h"
#include "SectorReader.h"

#include <charconv>
#include <functional>
#include <string>

namespace {

// Lines of one export file, flushed in large blocks to its partial file and
// renamed to its name once complete (OutputFile.h).
class OTextWriter {
public:
    explicit OTextWriter(const std::string& path) : m_File(path) {}
    bool IsOpen() const { return m_File.IsOpen(); }

    // "%f": six decimals, a point as separator.
    void Number(double v)
    {
        char text[400];
        const auto result = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 6);
        m_Buffer.append(text, result.ptr);
    }
    void Tab() { m_Buffer += '\t'; }
    void EndLine()
    {
        m_Buffer += "\r\n";
        if (m_Buffer.size() >= (1 << 16))
            Flush();
    }
    // False when anything could not be written (the file is then not there).
    bool Close()
    {
        Flush();
        return m_File.Commit();
    }

private:
    void Flush()
    {
        m_File.Write(m_Buffer);
        m_Buffer.clear();
    }

    OOutputFile m_File;
    std::string m_Buffer;
};

void WritePulse(const OEcgFile& file, OTextWriter& out)
{
    const auto& puls = file.Puls();
    for (int64_t i = 0; i < puls.Count(); ++i) {
        out.Number(puls[i].x * kSamplePeriod);
        if (puls[i].y > 0) {
            out.Tab();
            out.Number(puls[i].y);
        }
        out.EndLine();
    }
}

void WriteTemperature(const OEcgFile& file, OTextWriter& out)
{
    const auto& thermo = file.Thermo();
    for (int64_t i = 0; i < thermo.Count(); ++i) {
        out.Number(thermo[i].x);
        out.Tab();
        out.Number(thermo[i].y);
        out.EndLine();
    }
}

void WriteCcp(const OEcgFile& file, OTextWriter& out)
{
    const auto& fms = file.FMs();
    for (int64_t k = 0; k < fms.Count(); ++k) {
        out.Number(k * kSectorDuration);
        out.Tab();
        out.Number(fms[k].rough);
        out.Tab();
        out.Number(fms[k].fine);
        out.EndLine();
    }
}

// From the sectors read in chunks, mapped file or not; a sector that cannot
// be read ends the file there.
void WriteAccelerations(const OEcgFile& file, OTextWriter& out)
{
    OSectorReader reader(file);
    for (int64_t k = 0; k < file.SectorCount(); ++k) {
        const uint8_t* sector = reader.Sector(k);
        if (!sector)
            break;
        double x, y, z;
        SectorAccelerations(sector, x, y, z);
        out.Number(k * kSectorDuration);
        for (double v : {x, y, z}) {
            out.Tab();
            out.Number(v);
        }
        out.EndLine();
    }
}

} // namespace

std::string ExportFileName(const std::string& recordingPath, const char* ending)
{
    const OPathParts parts = SplitPath(recordingPath);
    return parts.folder + parts.name + ending;
}

bool ExportDerivedSeries(const OEcgFile& file)
{
    const OPathParts parts = SplitPath(file.FilePath());
    Console().Write("Path = ").Write(parts.folder).Write("\n");
    Console().Write("Name = ").Write(parts.name).Write("\n");
    Console().Write("Ext = ").Write(parts.ext).Write("\n");
    if (parts.folder.empty()) {
        Dialogs().Message("Выбирите исходный файл", "ОШИБКА", MsgIcon::Error);
        return false;
    }

    const std::pair<const char*, std::function<void(const OEcgFile&, OTextWriter&)>> exports[] = {
        {" - частота пульса.txt", WritePulse},
        {" - температура.txt", WriteTemperature},
        {" - CCP.txt", WriteCcp},
        {" - ускор.txt", WriteAccelerations},
    };
    for (const auto& [ending, write] : exports) {
        const std::string path = parts.folder + parts.name + ending;
        OTextWriter out(path);
        if (!out.IsOpen()) {
            Dialogs().Message(path + "\n\nНе удалось создать", "ОШИБКА СОЗДАНИЯ ФАЙЛА", MsgIcon::Error);
            return false;
        }
        write(file, out);
        // A full disk must not pass for a successful export.
        if (!out.Close()) {
            Dialogs().Message(path + "\n\nНе удалось записать", "ОШИБКА СОЗДАНИЯ ФАЙЛА", MsgIcon::Error);
            return false;
        }
    }
    Dialogs().Message("Выгрузка файлов успешна!", "ЭКСПОРТ", MsgIcon::None);
    return true;
}
