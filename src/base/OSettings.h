#pragma once
// Per-user settings: organisation "Kelvaro", application "Terravik_Dremlo",
// group "1.0/<application name>/<section>", one value per member name.
#include <string>

namespace OSettings {

// The application name of the settings group; the GUI's executable base name
// ("brenna"). The command line uses the same name so both share one set.
void SetApplicationName(const std::string& name);
std::string ApplicationName();

// Keeps all settings under this folder instead of the user's configuration
// folder (tests, and anyone who wants a portable set).
void SetStorageFolder(const std::string& folder);

int GetInt(const std::string& section, const std::string& name, int defaultValue);
void WriteInt(const std::string& section, const std::string& name, int value);
std::string GetString(const std::string& section, const std::string& name, const std::string& defaultValue);
void WriteString(const std::string& section, const std::string& name, const std::string& value);

// Path of the file the settings live in (for the README and diagnostics).
std::string StorageFile();

} // namespace OSettings
