#include "TempDir.h"

#include "OSettings.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "brenna-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    m_Path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_Path, ignored);
}

void UseFreshSettings()
{
    // Kept until the process ends: QSettings may still flush into it.
    static std::unique_ptr<TempDir> folder;
    folder = std::make_unique<TempDir>();
    OSettings::SetStorageFolder(folder->Path());
}

std::string TestBinFolder()
{
    const char* folder = std::getenv("BRENNA_TEST_BIN");
    return folder && *folder ? folder : BRENNA_TEST_BIN_DIR;
}
