#pragma once
// The file a download writes: the recording's sectors as they are (".экг"), or
// a mono 16-bit WAV of their ECG samples when the name ends in ".wav". Only
// whole verified sectors ever reach the file.
#include <cstdint>
#include <string>

class ORecordingFile {
public:
    ORecordingFile() = default;
    ~ORecordingFile() { Close(); }
    ORecordingFile(const ORecordingFile&) = delete;
    ORecordingFile& operator=(const ORecordingFile&) = delete;

    // Creates (replacing) the file; in WAV mode writes the header with
    // placeholder sizes. On failure the error text says why; nothing is shown.
    bool Create(const std::string& path);
    // Appends one 512-byte sector (its samples in WAV mode). A failed or short
    // write is undone so that the file ends with the last whole sector.
    bool AppendSector(const uint8_t* sector);
    // Patches the WAV sizes and closes; nothing when no file is open.
    void Close();

    bool IsOpen() const { return m_Fd >= 0; }
    bool IsWav() const { return m_IsWav; }
    const std::string& Path() const { return m_Path; }
    const std::string& ErrorText() const { return m_ErrorText; }

private:
    int m_Fd = -1;
    bool m_IsWav = false;
    uint32_t m_DataSizePos = 0;
    uint64_t m_Size = 0;
    std::string m_Path;
    std::string m_ErrorText;
};

// True when the path is longer than 4 characters and ends in ".wav", any case.
bool IsWavPath(const std::string& path);

// The 46-byte header of the WAV file, both sizes as "1111".
inline constexpr int kWavHeaderSize = 46;
inline constexpr uint32_t kWavDataSizePos = 42;
void FillWavHeader(uint8_t header[kWavHeaderSize]);

// Asks for the file name with the save dialog; nothing when the user cancels.
std::string ChooseRecordingFileName(const std::string& suffix);
// Creates the file, showing "Не удалось создать результирующий файл ..." on failure.
bool CreateOutputFile(ORecordingFile& file, const std::string& path);
