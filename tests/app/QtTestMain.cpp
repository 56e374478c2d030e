// SPDX-License-Identifier: GPL-3.0-or-later
// The main() of the application tests: a Qt application object, the audio
// library's user-interface calls serviced by its event loop, and a settings file
// of the tests' own, so that no test reads or writes the user's settings.
#include "app/engine/system/SynchronizePump.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir Config;
    qputenv("XDG_CONFIG_HOME", Config.path().toUtf8());
    QCoreApplication App(argc, argv);
    app::InstallSynchronizePump();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
