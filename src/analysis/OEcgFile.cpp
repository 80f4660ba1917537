#include "OEcgFile.h"

#include "EcgTime.h"
#include "Fatal.h"
#include "OConsole.h"
#include "OPassDisplay.h"
#include "ODialogs.h"
#include "SectorReader.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kOpenCaption = "ОШИБКА ОТКРЫТИЯ";

std::string AbsolutePath(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

} // namespace

OEcgFile::OEcgFile() = default;

OEcgFile::~OEcgFile()
{
    CloseEcgFile();
}

const uint8_t* OEcgFile::Sector(int64_t k) const
{
    if (!m_View || k < 0 || k >= m_SectorCount)
        return nullptr;
    return m_View + k * kSectorBytes;
}

void OEcgFile::DropMappedPages() const
{
    if (m_View)
        ::madvise(const_cast<uint8_t*>(m_View), static_cast<size_t>(m_ViewBytes), MADV_DONTNEED);
}

bool OEcgFile::OpenEcgFile(const std::string& path, bool isEcg)
{
    CloseEcgFile();
    m_FilePath = AbsolutePath(path);
    if (!isEcg) {
        Dialogs().Message("Режим открытия WAV - файлов с ЭКГ отладочный и пока не реализован", "ОШИБКА ОТКРЫТИЯ ФАЙЛА",
                          MsgIcon::Error);
        return false;
    }

    // Non-blocking, so that a FIFO given by mistake cannot hang the open.
    int fd = ::open(m_FilePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    int error = fd < 0 ? errno : 0;
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) != 0)
        error = errno;
    else if (fd >= 0 && !S_ISREG(info.st_mode))
        error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    if (error != 0) {
        if (fd >= 0)
            ::close(fd);
        Dialogs().Message("Ошибка открытия файла\n" + m_FilePath + "\n" + SystemErrorText(error), kOpenCaption,
                          MsgIcon::Error);
        return false;
    }
    m_Fd = fd;
    m_SectorCount = info.st_size / kSectorBytes;
    if (m_SectorCount < 1) {
        CloseEcgFile();
        Dialogs().Message("Файл слишком мал, чтобы быть корректным ЭГК-файлом", kOpenCaption, MsgIcon::Error);
        return false;
    }

    const std::string name = SplitPath(m_FilePath).name;
    Console().Write("Name = ").Write(name).Write("\n");
    m_StartOfDay = StartTimeFromName(name);

    std::string problems = AllocateArrays();
    problems += MapView(info.st_size);
    if (!problems.empty())
        Dialogs().Message("Вознили проблемы с выделением необходимого объема памяти. Визуализация данных и даже их "
                          "обработка может выполняться не полностью. Вероятно, исходный файл черезмерно велик. "
                          "Попробуйте увеличить объем файла подкачки\n\n" +
                              problems,
                          "ПРОБЛЕМЫ С ПАМЯТЬЮ", MsgIcon::Exclamation);
    return true;
}

std::string OEcgFile::AllocateArrays()
{
    const int64_t n = m_SectorCount;
    std::string problems;
    auto note = [&](bool ok, const char* name) {
        if (!ok)
            problems += std::string("Не удалось выделить память для ") + name + "\n";
    };
    note(m_ImpulseInfo.Allocate(n), "m_ImpulseInfo");
    note(m_Puls.Allocate(n), "m_Puls");
    note(m_Thermo.Allocate(n), "m_Thermo");
    note(m_FMs.Allocate(n), "m_FMs");
    note(m_AUXs.Allocate(n), "m_AUXs");
    return problems;
}

std::string OEcgFile::MapView(int64_t size)
{
    void* view = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_SHARED, m_Fd, 0);
    if (view == MAP_FAILED)
        return "Не могу спроецировать на память файл " + m_FilePath + "\n" + SystemErrorText(errno) + "\n\n";
    m_View = static_cast<const uint8_t*>(view);
    m_ViewBytes = size;
    return {};
}

void OEcgFile::CloseEcgFile()
{
    m_ImpulseInfo.Free();
    m_Puls.Free();
    m_Thermo.Free();
    m_FMs.Free();
    m_AUXs.Free();
    if (m_View)
        ::munmap(const_cast<uint8_t*>(m_View), static_cast<size_t>(m_ViewBytes));
    m_View = nullptr;
    m_ViewBytes = 0;
    m_SectorCount = 0;
    m_ProcessedN = 0;
    m_FrequenciesLeftOut = false;
    m_PassCheck.reset();
    m_FilterShape.reset();
    m_Display.reset();
    if (m_Fd >= 0)
        ::close(m_Fd);
    m_Fd = -1;
    m_StartOfDay = {};
}

int64_t OEcgFile::ReadSectors(int64_t first, int64_t count, uint8_t* buffer, int* error) const
{
    return ReadSectorsAt(m_Fd, first, count, buffer, error);
}
