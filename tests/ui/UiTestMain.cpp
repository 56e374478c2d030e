// SPDX-License-Identifier: GPL-3.0-or-later
// The main() of the window's tests: a widget application on the offscreen
// platform, the audio library's user-interface calls serviced by its event loop,
// and a settings file of the tests' own.
#include "app/engine/system/SynchronizePump.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir Config;
    qputenv("XDG_CONFIG_HOME", Config.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    app::InstallSynchronizePump();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
