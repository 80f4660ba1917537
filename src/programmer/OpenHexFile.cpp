#include "OpenHexFile.h"

#include "ODialogs.h"
#include "OSettings.h"

std::optional<std::string> OpenHexFile(OProgramImage& image)
{
    FileDialogRequest request;
    request.title = "Выбирите имя файла с прошивкой";
    request.folder = OSettings::GetString("OPEN", "PATH", "d:\\data");
    request.defaultExt = "hex";
    request.filters = {{"HEX - файлы (*.hex)", "*.hex"}, {"Все файлы (*.*)", "*.*"}};
    const std::optional<std::string> path = Dialogs().ChooseOpenFile(request);
    if (!path)
        return std::nullopt;
    const size_t slash = path->find_last_of("/\\");
    // The folder keeps its root slash ("/x.hex" lies in "/").
    const std::string folder = slash == std::string::npos ? std::string() : path->substr(0, slash == 0 ? 1 : slash);
    OSettings::WriteString("OPEN", "PATH", folder);
    LoadHexFile(*path, image);
    return path;
}
