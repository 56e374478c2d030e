// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace app {

// Keeps a second copy of the program from starting: an exclusive lock on a file
// named Name + ".lock" in $XDG_RUNTIME_DIR (the temporary folder when that is not
// set). The system drops the lock when the holder ends, however it ends, so a
// crashed copy never blocks the next start. Programs the window starts (a text
// viewer) do not inherit it. User-interface thread.
class TSingleInstance {
public:
    explicit TSingleInstance(const QString& Name);
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // Another process holds the lock. False as well when the lock file cannot be
    // made at all: a program that runs twice beats one that never starts.
    bool AlreadyRunning() const { return FAlreadyRunning; }

    static QString LockFilePath(const QString& Name);

private:
    int FDescriptor = -1;
    bool FAlreadyRunning = false;
};

} // namespace app
