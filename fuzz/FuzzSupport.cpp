#include "FuzzSupport.h"

#include "OConsole.h"
#include "ODialogs.h"
#include "OSettings.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

class SilentDialogs : public ODialogs {
public:
    MsgResult Message(const std::string&, const std::string&, MsgIcon, MsgButtons buttons) override
    {
        return AutomaticAnswer(buttons, false);
    }
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return std::nullopt; }
};

std::string MakeFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "brenna-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    return pattern + "/";
}

void RemoveFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(FuzzFolder(), ignored);
}

} // namespace

const std::string& FuzzFolder()
{
    static const std::string folder = MakeFolder();
    return folder;
}

std::string WriteFuzzFile(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = FuzzFolder() + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
    return path;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static SilentDialogs dialogs;
    SetDialogs(&dialogs);
    Console().SetOutput(-1);
    std::filesystem::create_directory(FuzzFolder() + "settings");
    OSettings::SetStorageFolder(FuzzFolder() + "settings");
    std::atexit(RemoveFolder);
    return 0;
}
