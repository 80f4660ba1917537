#pragma once
// An output file written under a temporary name beside its final one
// (path + ".part") and renamed over it only when complete, so that a cancel,
// a write error or a killed program never leaves a partial file under the
// final name: a reader finds the old file or the whole new one.
//
// A final path that names a symbolic link writes to the link's target; one
// that names a device or a pipe (/dev/stdout) is written directly, since
// renaming over it would replace it. An existing file keeps its permissions.
#include <cstddef>
#include <cstdio>
#include <string>

class OOutputFile {
public:
    explicit OOutputFile(const std::string& path);
    ~OOutputFile(); // an uncommitted file is removed
    OOutputFile(const OOutputFile&) = delete;
    OOutputFile& operator=(const OOutputFile&) = delete;

    bool IsOpen() const { return m_File != nullptr; }
    // The open stream, for a writer of its own (a QFile on it); nullptr when
    // not open. Commit closes it.
    std::FILE* Stream() const { return m_File; }
    // False once anything could not be written; the rest is then skipped.
    bool Write(const void* data, size_t bytes);
    bool Write(const std::string& text) { return Write(text.data(), text.size()); }
    // Closes and renames to the final name; false (and nothing left behind)
    // when anything could not be written.
    bool Commit();
    // The errno of the failure (open, write, close or rename).
    int Error() const { return m_Error; }

private:
    void Discard();

    std::string m_Path, m_Partial; // m_Partial empty: written directly
    std::FILE* m_File = nullptr;
    int m_Error = 0;
    int m_Slot = -1;
};

// The partial name of path.
std::string PartialPath(const std::string& path);

// Lists a partial file written by other code (the EDF+ export's) for the
// removal on a signal while it lives.
class OPartialFileGuard {
public:
    explicit OPartialFileGuard(const std::string& partialPath);
    ~OPartialFileGuard();
    OPartialFileGuard(const OPartialFileGuard&) = delete;
    OPartialFileGuard& operator=(const OPartialFileGuard&) = delete;

private:
    int m_Slot;
};

// From now on SIGINT, SIGTERM and SIGHUP remove the partial files being
// written before the program ends as the signal would end it (the command
// line's Ctrl+C mid-stream leaves nothing behind); a signal ignored when the
// program started stays ignored.
void RemovePartialFilesOnSignals();
