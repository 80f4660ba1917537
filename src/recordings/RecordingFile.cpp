#include "RecordingFile.h"

#include "Fatal.h"
#include "ODialogs.h"
#include "RecordingFormat.h"
#include "RecordingRows.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, const uint8_t* data, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        length -= size_t(written);
    }
    return true;
}

} // namespace

bool IsWavPath(const std::string& path)
{
    if (path.size() <= 4)
        return false;
    const std::string tail = path.substr(path.size() - 4);
    return tail[0] == '.' && (tail[1] | 0x20) == 'w' && (tail[2] | 0x20) == 'a' && (tail[3] | 0x20) == 'v';
}

void FillWavHeader(uint8_t header[kWavHeaderSize])
{
    std::memcpy(header, "RIFF1111WAVEfmt ", 16);
    WriteLE32(header + 16, 18);
    WriteLE16(header + 20, 1);    // PCM
    WriteLE16(header + 22, 1);    // mono
    WriteLE32(header + 24, 976);  // whole samples per second of the device
    WriteLE32(header + 28, 1952); // bytes per second
    WriteLE16(header + 32, 2);    // block alignment
    WriteLE16(header + 34, 16);   // bits per sample
    WriteLE16(header + 36, 0);    // extra format bytes
    std::memcpy(header + 38, "data1111", 8);
}

bool ORecordingFile::Create(const std::string& path)
{
    Close();
    m_Path = path;
    m_ErrorText.clear();
    m_Size = 0;
    m_Fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_Fd < 0) {
        m_ErrorText = SystemErrorText(uint32_t(errno));
        return false;
    }
    m_IsWav = IsWavPath(path);
    if (m_IsWav) {
        uint8_t header[kWavHeaderSize];
        FillWavHeader(header);
        if (!WriteAll(m_Fd, header, sizeof header)) {
            m_ErrorText = SystemErrorText(uint32_t(errno));
            ::close(m_Fd);
            m_Fd = -1;
            return false;
        }
        m_Size = kWavHeaderSize;
        m_DataSizePos = kWavDataSizePos;
    }
    return true;
}

bool ORecordingFile::AppendSector(const uint8_t* sector)
{
    if (m_Fd < 0)
        return true;
    const uint8_t* data = m_IsWav ? sector + kSectorHeaderSize : sector;
    const size_t length = m_IsWav ? kSectorSize - kSectorHeaderSize : kSectorSize;
    if (WriteAll(m_Fd, data, length)) {
        m_Size += length;
        return true;
    }
    // Cut a partly written sector off again; the file keeps what was verified.
    if (::ftruncate(m_Fd, off_t(m_Size)) == 0)
        ::lseek(m_Fd, off_t(m_Size), SEEK_SET);
    return false;
}

void ORecordingFile::Close()
{
    if (m_Fd < 0)
        return;
    if (m_IsWav) {
        uint8_t size[4];
        WriteLE32(size, uint32_t(m_Size - 8));
        ::pwrite(m_Fd, size, 4, 4);
        WriteLE32(size, uint32_t(m_Size - m_DataSizePos - 4));
        ::pwrite(m_Fd, size, 4, m_DataSizePos);
    }
    ::close(m_Fd);
    m_Fd = -1;
}

std::string ChooseRecordingFileName(const std::string& suffix)
{
    FileDialogRequest request;
    request.title = "Выберите имя для сохранения ЭКГ - файла";
    request.fileName = DefaultRecordingFileName(suffix);
    request.defaultExt = "экг";
    request.filters = {{"ЭКГ - файлы (*.экг)", "*.экг"}, {"WAV - файлы (*.wav)", "*.wav"}, {"Все файлы (*.*)", "*.*"}};
    request.overwritePrompt = true;
    return Dialogs().ChooseSaveFile(request).value_or(std::string());
}

bool CreateOutputFile(ORecordingFile& file, const std::string& path)
{
    if (file.Create(path))
        return true;
    Dialogs().Message("Не удалось создать результирующий файл " + path + "\n" + file.ErrorText(), "ОШИБКА",
                      MsgIcon::Error);
    return false;
}
