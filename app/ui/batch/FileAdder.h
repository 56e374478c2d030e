// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/batch/FileListModel.h"

#include <QObject>
#include <QStringList>
#include <atomic>
#include <mutex>
#include <vector>

class QProgressDialog;
class QWidget;

namespace app {

// Probes files and appends their rows to the batch list, in the order given.
// The probes run on a thread of their own so that the window keeps painting;
// input to it waits meanwhile. When an addition lasts longer than ProgressDelay,
// a progress dialog over Window counts the files and offers Cancel, which keeps
// the rows added so far. User-interface thread only.
class TFileAdder final : public QObject {
    Q_OBJECT

public:
    static constexpr int ProgressDelay = 500; // ms

    TFileAdder(TFileListModel& Files, QWidget* Window);
    ~TFileAdder() override;

    // Returns when every file has its row or the user cancelled. KeepRepeats
    // as the list's AddRows takes it.
    void AddFiles(const QStringList& Paths, bool KeepRepeats = false);
    bool Busy() const { return FBusy; }
    // Ends the addition in progress after the file being probed.
    void Cancel() { FCancelled = true; }

private:
    void Probe(const QStringList& Paths);
    // Moves the rows probed so far into the list; returns how many were probed.
    int Flush();
    void ShowProgress(int Done, int Total);

    TFileListModel& FFiles;
    QWidget* FWindow;
    QProgressDialog* FProgress = nullptr;
    bool FBusy = false;
    bool FKeepRepeats = false;
    std::atomic<bool> FCancelled{false};
    std::atomic<bool> FFinished{false};
    std::mutex FLock;
    std::vector<TFileListModel::TRow> FProbed; // guarded by FLock
    int FDone = 0;                              // guarded by FLock
};

} // namespace app
