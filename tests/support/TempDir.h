#pragma once
// A fresh folder under the system's temporary folder, removed with the object.
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_Path; }
    std::string File(const std::string& name) const { return m_Path + "/" + name; }

private:
    std::string m_Path;
};

// Points the settings at a fresh empty folder for the rest of the test.
void UseFreshSettings();

// Folder holding the built executables (brenna-sim, brenna-cli, brenna).
std::string TestBinFolder();
