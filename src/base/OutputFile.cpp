#include "OutputFile.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The partial files being written, for the signal handler: it may only read
// what is there, so each entry is a C string of its own, published through
// an atomic pointer. More files at once than entries simply go unlisted.
constexpr int kSlots = 64;
std::atomic<char*> g_Partials[kSlots];

int List(const std::string& path)
{
    char* copy = ::strdup(path.c_str());
    if (!copy)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        char* expected = nullptr;
        if (g_Partials[i].compare_exchange_strong(expected, copy))
            return i;
    }
    std::free(copy);
    return -1;
}

void Unlist(int slot)
{
    if (slot >= 0)
        std::free(g_Partials[slot].exchange(nullptr));
}

extern "C" void RemovePartialsAndEnd(int signal)
{
    for (auto& partial : g_Partials)
        if (const char* path = partial.load())
            ::unlink(path);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

std::string PartialPath(const std::string& path)
{
    return path + ".part";
}

OOutputFile::OOutputFile(const std::string& path) : m_Path(path)
{
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode)) {
        m_File = std::fopen(path.c_str(), "wb");
        m_Error = m_File ? 0 : errno;
        return;
    }
    if (exists && S_ISDIR(existing.st_mode)) {
        m_Error = EISDIR;
        return;
    }
    if (exists) {
        // Through a symbolic link to its target, which the rename replaces.
        if (char* target = ::realpath(path.c_str(), nullptr)) {
            m_Path = target;
            std::free(target);
        }
    }
    m_Partial = PartialPath(m_Path);
    m_Slot = List(m_Partial);
    m_File = std::fopen(m_Partial.c_str(), "wb");
    if (!m_File) {
        m_Error = errno;
        Unlist(m_Slot);
        m_Slot = -1;
        return;
    }
    if (exists)
        ::fchmod(::fileno(m_File), existing.st_mode & 07777);
}

OOutputFile::~OOutputFile()
{
    Discard();
}

bool OOutputFile::Write(const void* data, size_t bytes)
{
    if (!m_File || m_Error != 0)
        return false;
    if (bytes > 0 && std::fwrite(data, 1, bytes, m_File) != bytes) {
        m_Error = errno != 0 ? errno : EIO;
        return false;
    }
    return true;
}

bool OOutputFile::Commit()
{
    if (!m_File)
        return false;
    const bool closed = std::fclose(m_File) == 0;
    if (!closed && m_Error == 0)
        m_Error = errno;
    m_File = nullptr;
    if (m_Error == 0 && !m_Partial.empty() && std::rename(m_Partial.c_str(), m_Path.c_str()) != 0)
        m_Error = errno;
    if (m_Error != 0) {
        Discard();
        return false;
    }
    Unlist(m_Slot);
    m_Slot = -1;
    m_Partial.clear();
    return true;
}

void OOutputFile::Discard()
{
    if (m_File)
        std::fclose(m_File);
    m_File = nullptr;
    if (!m_Partial.empty())
        ::unlink(m_Partial.c_str());
    m_Partial.clear();
    Unlist(m_Slot);
    m_Slot = -1;
}

OPartialFileGuard::OPartialFileGuard(const std::string& partialPath) : m_Slot(List(partialPath)) {}

OPartialFileGuard::~OPartialFileGuard()
{
    Unlist(m_Slot);
}

void RemovePartialFilesOnSignals()
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored from the start (a background job of a script,
        // nohup) stays ignored.
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            continue;
        std::signal(signal, RemovePartialsAndEnd);
    }
}
