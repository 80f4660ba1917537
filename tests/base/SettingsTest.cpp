#include "OSettings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

TEST(Settings, DefaultsUntilWrittenThenKeptUnderTheApplicationGroup)
{
    TempDir folder;
    OSettings::SetStorageFolder(folder.Path());
    EXPECT_EQ(OSettings::GetInt("Options", "m_FastSpeedSelectorPos", 100), 100);
    EXPECT_EQ(OSettings::GetString("OPEN", "PATH", "d:\\data"), "d:\\data");

    OSettings::WriteInt("Options", "m_PortSelect", 3);
    OSettings::WriteString("OPEN", "PATH", "/home/user/Прошивки");
    EXPECT_EQ(OSettings::GetInt("Options", "m_PortSelect", 0), 3);
    EXPECT_EQ(OSettings::GetString("OPEN", "PATH", ""), "/home/user/Прошивки");

    const std::string file = OSettings::StorageFile();
    EXPECT_EQ(file.rfind(folder.Path(), 0), 0u) << file;
    UseFreshSettings();
    EXPECT_EQ(OSettings::GetInt("Options", "m_PortSelect", 0), 0);
}
