#include "OSettings.h"

#include <QSettings>
#include <QString>

#include <mutex>

namespace {

std::mutex g_Mutex;
std::string g_ApplicationName = "brenna";

QSettings Open()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kelvaro", "Terravik_Dremlo");
}

QString Key(const std::string& section, const std::string& name)
{
    std::lock_guard lock(g_Mutex);
    return QString::fromStdString("1.0/" + g_ApplicationName + "/" + section + "/" + name);
}

} // namespace

namespace OSettings {

void SetApplicationName(const std::string& name)
{
    std::lock_guard lock(g_Mutex);
    g_ApplicationName = name;
}

std::string ApplicationName()
{
    std::lock_guard lock(g_Mutex);
    return g_ApplicationName;
}

void SetStorageFolder(const std::string& folder)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(folder));
}

int GetInt(const std::string& section, const std::string& name, int defaultValue)
{
    bool ok = false;
    const int value = Open().value(Key(section, name)).toInt(&ok);
    return ok ? value : defaultValue;
}

void WriteInt(const std::string& section, const std::string& name, int value)
{
    Open().setValue(Key(section, name), value);
}

std::string GetString(const std::string& section, const std::string& name, const std::string& defaultValue)
{
    const QVariant value = Open().value(Key(section, name));
    return value.isValid() ? value.toString().toStdString() : defaultValue;
}

void WriteString(const std::string& section, const std::string& name, const std::string& value)
{
    Open().setValue(Key(section, name), QString::fromStdString(value));
}

std::string StorageFile() { return Open().fileName().toStdString(); }

} // namespace OSettings
