// SPDX-License-Identifier: GPL-3.0-or-later
#include "SynchronizePump.h"

#include "audio/core/Synchronize.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace app {

void InstallSynchronizePump()
{
    au::SetMainThread();
    au::SetSynchronizeWakeup([] {
        if (QCoreApplication* App = QCoreApplication::instance())
            QMetaObject::invokeMethod(App, [] { au::CheckSynchronize(); }, Qt::QueuedConnection);
    });
}

} // namespace app
