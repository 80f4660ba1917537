#include "EdfWriteError.h"

#include "Fatal.h"

#include <cerrno>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {
std::string Reason(int error)
{
    return error > 0 ? SystemErrorText(static_cast<uint32_t>(error)) : std::string("?");
}
} // namespace

std::string EdfCreateFailureText(const std::string& outPath, int error)
{
    if (error == ENOSPC || error == EDQUOT)
        return "На диске не хватает места для файла EDF+:\n" + outPath;
    return "Не удалось создать файл EDF+:\n" + outPath + "\n" + Reason(error) +
           (error == EACCES || error == EROFS || error == EPERM ? "\nВ эту папку писать нельзя, выберите другую." : "");
}

std::string EdfWriteFailureText(const std::string& outPath, int error)
{
    if (error == ENOSPC || error == EDQUOT || error == EFBIG)
        return "На диске не хватает места для файла EDF+, файл не записан:\n" + outPath;
    return "Ошибка записи файла EDF+, файл не записан:\n" + outPath + "\n" + Reason(error);
}

namespace {
constexpr int64_t kAlmostFull = 1 << 20;

int64_t FreeBytes(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0)
        return INT64_MAX;
    return static_cast<int64_t>(info.f_bavail) * static_cast<int64_t>(info.f_frsize);
}
} // namespace

bool EdfDiskRefused(const std::string& path)
{
    if (FreeBytes(path) < kAlmostFull)
        return true;
    struct stat file {};
    rlimit limit{};
    return ::stat(path.c_str(), &file) == 0 && ::getrlimit(RLIMIT_FSIZE, &limit) == 0 &&
           limit.rlim_cur != RLIM_INFINITY && static_cast<uint64_t>(file.st_size) + kAlmostFull >= limit.rlim_cur;
}

bool EdfNoRoomFor(const std::string& path, int64_t bytes)
{
    return FreeBytes(path) < bytes;
}
