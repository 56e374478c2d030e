// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FolderWatch.h"
#include "TickSource.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <ctime>
#include <list>
#include <memory>
#include <thread>

namespace app {

class DirectoryMonitor;

// One file that was written to and has not been found complete yet.
struct TfileWaiter {
    QString FileName; // the full path, in the spelling the folder has on disk
    int64_t LastSize = 0;
    int StableCount = 0;
};

// The thread that waits for a monitor's change notifications and keeps the
// files they name in Pending, and the check that runs at each tick of the
// monitor's check source on the user-interface thread and queues each complete
// file for delivery.
class TWaitThread {
public:
    static constexpr int CheckInterval = 500; // ms
    // How long a report is remembered against a second one from a folder scan.
    static constexpr time_t ReportMemorySeconds = 60;

    // UI thread; the checks run from here on, at each tick of CheckTicks (which
    // must outlive this), the thread from Start. Directory is the watched folder
    // as reported paths begin.
    TWaitThread(DirectoryMonitor* Monitor, std::unique_ptr<TFolderWatch> Watch, const QString& Directory,
                TTickSource& CheckTicks);
    // UI thread: ends the thread, stops the checks and forgets every waiter.
    ~TWaitThread();
    TWaitThread(const TWaitThread&) = delete;
    TWaitThread& operator=(const TWaitThread&) = delete;

    // Before Start.
    void SetRequiredChecks(int Value) { FRequiredChecks = Value; }
    void SetExtensions(const QString& Value) { FExtensions = Value; }

    // UI thread. Throws EAuException with the system's text when the thread's
    // wake-up cannot be made.
    void Start();

    // Any thread; takes PendingLock.
    int PendingCount();

private:
    void Execute();
    void FileChanged(const QString& RelativeName, bool Scanned);
    void Remember(const QString& Key, const timespec& Changed);
    // UI thread, at each check tick; takes PendingLock, then ReadyLock.
    void CheckFiles();

    DirectoryMonitor* FMonitor;
    std::unique_ptr<TFolderWatch> FWatch;
    QString FDirectory;
    int FRequiredChecks = 5;
    QString FExtensions;

    // Guarded by PendingLock. The keys are the lower-cased paths, so that one
    // file has one waiter whatever case its notifications spell it in.
    std::list<TfileWaiter> FPending;
    QHash<QString, std::list<TfileWaiter>::iterator> FPendingKeys;
    // Files reported lately, with their status-change time then, so that a
    // look at the folder after lost notifications does not report them again.
    QHash<QString, timespec> FReported;
    qsizetype FPruneAt = 64;

    TTickSource& FCheckTicks;
    int FWake = -1; // eventfd that tells the thread to end
    std::thread FThread;
};

} // namespace app
