// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileListModel.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace app {

// Every way files come into the batch list: paths as given, files of the kinds
// the decoders read (the Add dialog, drops), a folder and a list file. Finding
// the files runs on a worker thread, and probing them on as many threads as
// SetProbeThreads asks for, each with decoders of its own; the rows reach the
// list in the order of the files, a batch at a time, so that the list fills
// while the threads work and the caller's thread stays free. Progress counts
// the files that have their row; Cancel ends the load once the files being
// probed are done, with the rows the list holds by then. One load at a time: a
// start while one runs is refused. Every method is called on the
// user-interface thread, which also receives every signal; the workers lock
// FLock only to hand over what they found.
class TFileLoader final : public QObject {
    Q_OBJECT

public:
    // How often the list and the count catch up with the workers.
    static constexpr int FlushInterval = 50; // ms

    explicit TFileLoader(TFileListModel& Files, QObject* Parent = nullptr);
    // Cancels a load in progress and waits for the files being probed.
    ~TFileLoader() override;

    // How many files are probed at once from the next load on (1 when Count is
    // below 1).
    void SetProbeThreads(int Count);
    int ProbeThreads() const { return FProbeThreads; }

    // The extensions, with their dots, of the kinds the list takes.
    const QStringList& Kinds() const { return FKinds; }

    // Probes Paths as they are, missing files too; false, and nothing started,
    // when a load is running or Paths is empty. KeepRepeats as the list's
    // AddRows takes it.
    bool Start(const QStringList& Paths, bool KeepRepeats = false);
    // The existing files among Paths whose kind is one of Kinds; folders add
    // nothing.
    bool AddFiles(const QStringList& Paths);
    // Folder's files of Kinds, hidden ones too, in name order, and with
    // Recursive those of its sub-folders after them, as kelvaro-cli's folder
    // arguments take them. Appends to the list.
    bool AddFolder(const QString& Folder, bool Recursive);
    // Replaces the list with the existing files of Kinds that the list file
    // FileName names, in its order, a path named twice giving two rows; false,
    // and the list as it was, when FileName cannot be read or a load runs.
    bool ImportList(const QString& FileName);
    // Writes the paths of the list's rows to FileName; false with the system's
    // text in Error when it cannot be written whole.
    bool ExportList(const QString& FileName, QString& Error) const;

    // From Started until Finished has been emitted, exclusive.
    bool Busy() const { return FBusy; }
    // No row beyond those the list holds now comes in; Finished follows once
    // the files being probed are done.
    void Cancel() { FCancelled = true; }

signals:
    // A load has begun; Progress and then Finished follow.
    void Started();
    // Done of Total files have their row; Total is known once the files are found.
    void Progress(int Done, int Total);
    // Once a load's every row is in the list, or it was cancelled; Busy() is
    // false by then, so that a receiver may start the next load.
    void Finished();

private:
    using TFind = std::function<QStringList()>;

    // Runs Find and probes what it returns, on the workers.
    bool Run(TFind Find, bool KeepRepeats);
    // The first worker: finds the files, then probes them with the others.
    void Probe(const TFind& Find, int Threads);
    // Each worker: probes the next file nobody has taken until none is left.
    void ProbeFiles();
    void Flush();
    void FlushOnce();
    // The paths among Paths that name existing files of Kinds; any thread.
    QStringList Loadable(const QStringList& Paths) const;

    TFileListModel& FFiles;
    const QStringList FKinds;
    int FProbeThreads = 1;
    QTimer FPace;
    std::thread FWorker;
    bool FBusy = false;
    bool FKeepRepeats = false;
    bool FFlushing = false;   // a receiver runs inside Flush
    bool FFlushAgain = false; // and asked for one meanwhile
    std::atomic<bool> FCancelled{false};
    std::atomic<bool> FProbed{false};
    // The files found; written before the other workers start, read-only after.
    QStringList FPaths;
    std::atomic<int> FNext{0}; // the next file of FPaths no worker has taken
    int FTaken = 0;            // user-interface thread: rows handed to the list
    std::mutex FLock;
    std::vector<TFileListModel::TRow> FRows; // guarded by FLock; one a file, in FPaths's order
    std::vector<char> FReady;                // guarded by FLock; whether FRows[i] is probed
    int FTotal = -1;                         // guarded by FLock; -1 while the files are sought
};

} // namespace app
