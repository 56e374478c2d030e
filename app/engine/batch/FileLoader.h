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
// the files and probing them run on a worker thread, which appends their rows
// to the list in order, a batch at a time, so that the list fills while the
// thread works and the caller's thread stays free. Progress counts the files
// that have their row; Cancel ends the load after the file being probed and
// keeps the rows added so far. One load at a time: a start while one runs is
// refused. Every method is called on the user-interface thread, which also
// receives every signal; the worker locks FLock only to hand over what it
// found.
class TFileLoader final : public QObject {
    Q_OBJECT

public:
    // How often the list and the count catch up with the worker.
    static constexpr int FlushInterval = 50; // ms

    explicit TFileLoader(TFileListModel& Files, QObject* Parent = nullptr);
    // Cancels a load in progress and waits for its file.
    ~TFileLoader() override;

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

    bool Busy() const { return FWorker.joinable(); }
    void Cancel() { FCancelled = true; }

signals:
    // A load has begun; Progress and then Finished follow.
    void Started();
    // Done of Total files have their row; Total is known once the files are found.
    void Progress(int Done, int Total);
    // Once a load's every row is in the list, or it was cancelled.
    void Finished();

private:
    using TFind = std::function<QStringList()>;

    // Runs Find and probes what it returns, on the worker.
    bool Run(TFind Find, bool KeepRepeats);
    void Probe(const TFind& Find);
    void Flush();
    // The paths among Paths that name existing files of Kinds; any thread.
    QStringList Loadable(const QStringList& Paths) const;

    TFileListModel& FFiles;
    const QStringList FKinds;
    QTimer FPace;
    std::thread FWorker;
    bool FKeepRepeats = false;
    std::atomic<bool> FCancelled{false};
    std::atomic<bool> FProbed{false};
    std::mutex FLock;
    std::vector<TFileListModel::TRow> FRows; // guarded by FLock
    int FDone = 0;                           // guarded by FLock
    int FTotal = -1;                         // guarded by FLock; -1 while the files are sought
};

} // namespace app
