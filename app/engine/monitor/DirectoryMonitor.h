// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TickSource.h"

#include <QString>

#include <functional>
#include <memory>

namespace app {

class TWaitThread;

// Called on the user-interface thread with a complete file's full path and the
// monitor's UserData.
using TFileReadyEvent = std::function<void(const QString& FileName, void* UserData)>;

// Watches a folder (and, on request, its sub-folders) for files that are
// created, written or moved into it, waits until each is complete (non-empty,
// the same size at RequiredChecks checks in a row, half a second apart, and
// open for writing by no process), then reports it once through OnFileReady.
// A file written again after its report is reported again.
//
// Everything here is called on the user-interface thread, which must run a Qt
// event loop: the checks and the reports run on its timers.
class DirectoryMonitor {
public:
    static constexpr const char* NotADirectoryText = "Please input split directory firstly";

    // CheckTicks drives the completeness checks while started; by default a
    // timer of TWaitThread::CheckInterval.
    explicit DirectoryMonitor(std::unique_ptr<TTickSource> CheckTicks = nullptr);
    // Stops; reports of this monitor still queued are dropped.
    ~DirectoryMonitor();
    DirectoryMonitor(const DirectoryMonitor&) = delete;
    DirectoryMonitor& operator=(const DirectoryMonitor&) = delete;

    // The folder. Start trims it; its case is kept, since reported paths must
    // name files that exist.
    const QString& Directory() const { return FDirectory; }
    void SetDirectory(const QString& Value) { FDirectory = Value; }
    bool WatchSubtree() const { return FWatchSubtree; }
    void SetWatchSubtree(bool Value) { FWatchSubtree = Value; }
    // A file passes when its lower-cased extension, dot included, occurs in this
    // text (".wma" lets a.WMA, a.wm and a.w through); empty lets every file pass.
    const QString& Extensions() const { return FExtensions; }
    void SetExtensions(const QString& Value) { FExtensions = Value; }
    const TFileReadyEvent& OnFileReady() const { return FOnFileReady; }
    void SetOnFileReady(TFileReadyEvent Value) { FOnFileReady = std::move(Value); }
    void* UserData() const { return FUserData; }
    void SetUserData(void* Value) { FUserData = Value; }
    int RequiredChecks() const { return FRequiredChecks; }
    void SetRequiredChecks(int Value) { FRequiredChecks = Value; }

    // Begins watching with the current properties (a started monitor is
    // stopped first) and enables the delivery of reports. Throws EAuException
    // with the system's text when the folder cannot be opened or watched, and
    // with NotADirectoryText when the path is no folder; nothing is started then.
    void Start();
    // Ends watching and holds back the delivery of every monitor's reports;
    // those already queued are delivered after the next Start. Does nothing
    // when not started.
    void Stop();
    bool Started() const { return FWaitThread != nullptr; }

    // Files seen but not yet found complete. Takes PendingLock.
    int PendingCount() const;

private:
    QString FDirectory;
    bool FWatchSubtree = false;
    QString FExtensions = QStringLiteral(".wma");
    TFileReadyEvent FOnFileReady;
    void* FUserData = nullptr;
    int FRequiredChecks = 5;
    std::unique_ptr<TTickSource> FCheckTicks;
    std::unique_ptr<TWaitThread> FWaitThread;
};

} // namespace app
