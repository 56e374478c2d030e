// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <deque>
#include <memory>
#include <mutex>

namespace app {

class DirectoryMonitor;
class TTickSource;

// The process-wide queue of complete files and the timer that hands them to
// their monitors' OnFileReady on the user-interface thread. Every monitor of the
// process shares it, and its three locks.
class TReadyQueue {
public:
    static constexpr int DispatchInterval = 200; // ms
    static constexpr int MaxPerTick = 10;
    static constexpr int MaxDepth = 10;

    static TReadyQueue& Instance();

    // Every monitor's Pending list.
    std::recursive_mutex PendingLock;
    // The queue itself.
    std::recursive_mutex ReadyLock;
    // Held around each OnFileReady call.
    std::recursive_mutex DispatchLock;

    // Any thread; takes ReadyLock.
    void Append(const QString& FileName, DirectoryMonitor* Monitor);
    // Any thread; takes ReadyLock.
    int Count();
    // UI thread. Entries of a monitor that is going away stay in the queue but
    // are no longer delivered; takes ReadyLock.
    void Forget(DirectoryMonitor* Monitor);

    // UI thread (needs a QCoreApplication). The timer is shared: disabling it
    // holds back every monitor's reports, which stay queued.
    void EnableDispatch();
    void DisableDispatch();
    bool DispatchEnabled() const;
    // UI thread: what drives the dispatch from now on, enabled if the one before
    // was; empty for a timer of DispatchInterval, made when first enabled.
    void SetDispatchTicks(std::unique_ptr<TTickSource> Ticks);

    // UI thread: one timer tick. Delivers the oldest entries, at most
    // MaxPerTick of them, unless MaxDepth ticks are already running inside
    // handlers that process events. A handler must not throw.
    void Dispatch();

private:
    TReadyQueue();
    ~TReadyQueue();

    struct TEntry {
        QString FileName;
        DirectoryMonitor* Monitor;
    };
    bool TakeFirst(TEntry& Entry);

    std::deque<TEntry> FEntries;
    std::unique_ptr<TTickSource> FDispatchTicks;
    int FDepth = 0;
};

} // namespace app
