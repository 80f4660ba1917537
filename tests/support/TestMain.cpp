// Test entry point: settings always live in a throw-away folder, and GUI test
// executables get a QApplication on the offscreen platform.
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#ifdef BRENNA_HAVE_WIDGETS
#include <QApplication>
#endif
#include <QCoreApplication>

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Programs a test starts (brenna-cli, brenna-sim) inherit these, so not
    // even they can reach the user's own settings.
    static TempDir configFolder;
    ::setenv("XDG_CONFIG_HOME", configFolder.Path().c_str(), 1);
    // Nor their data folder (the recordings' date cache).
    static TempDir dataFolder;
    ::setenv("XDG_DATA_HOME", dataFolder.Path().c_str(), 1);
    testing::InitGoogleTest(&argc, argv);
    UseFreshSettings();
#ifdef BRENNA_HAVE_WIDGETS
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
