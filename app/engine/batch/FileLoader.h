// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileListModel.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace app {

// Probes files on a worker thread and appends their rows to the batch list in
// the order given, a batch at a time, so that the list fills while the thread
// works and the caller's thread stays free. Progress counts the files that
// have their row; Cancel ends the load after the file being probed and keeps
// the rows added so far. Every method is called on the user-interface thread,
// which also receives every signal; the worker locks FLock only to hand over
// what it probed.
class TFileLoader final : public QObject {
    Q_OBJECT

public:
    // How often the list and the count catch up with the worker.
    static constexpr int FlushInterval = 50; // ms

    explicit TFileLoader(TFileListModel& Files, QObject* Parent = nullptr);
    // Cancels a load in progress and waits for its file.
    ~TFileLoader() override;

    // Starts probing Paths; false, and nothing started, when a load is running
    // or Paths is empty. KeepRepeats as the list's AddRows takes it.
    bool Start(const QStringList& Paths, bool KeepRepeats = false);
    bool Busy() const { return FWorker.joinable(); }
    void Cancel() { FCancelled = true; }

signals:
    void Progress(int Done, int Total);
    // Once a load's every row is in the list, or it was cancelled.
    void Finished();

private:
    void Probe(const QStringList& Paths);
    void Flush();

    TFileListModel& FFiles;
    QTimer FPace;
    std::thread FWorker;
    int FTotal = 0;
    bool FKeepRepeats = false;
    std::atomic<bool> FCancelled{false};
    std::atomic<bool> FProbed{false};
    std::mutex FLock;
    std::vector<TFileListModel::TRow> FRows; // guarded by FLock
    int FDone = 0;                           // guarded by FLock
};

} // namespace app
