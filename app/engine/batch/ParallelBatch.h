// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace app {

class TBatchJob;
class TcdSettings;

// Converts a list of files with up to a given number of conversions at once,
// each in a slot of its own (TBatchJob). The log reads as if the files had
// been converted one after another: "Task Begin", then for each file, in list
// order, its load line and its result lines together, given out as soon as
// that file and every file before it are done, then "Task End" and an empty
// line. Two files with one output path never convert at the same time, and the
// later one in the list writes last. User-interface thread only; the writers'
// completions arrive through the synchronisation queue.
class TParallelBatch : public QObject {
    Q_OBJECT

public:
    struct TItem {
        QString Input;
        QString Output; // folders that do not exist yet are created
    };

    // Jobs: the most conversions at once (at least one). PartFiles: see
    // TAuFileOut::SetWriteViaPartFile.
    TParallelBatch(const TcdSettings& Settings, int Jobs, bool PartFiles, QObject* Parent = nullptr);
    ~TParallelBatch() override;

    // Starts converting Items, once per object.
    void Start(const QList<TItem>& Items);
    // Starts nothing more and ends the conversions in progress early (each
    // ends as failed); Finished(true) follows once they have ended. The lines
    // of the files that are done are given out, in list order, before it.
    void Stop();

    int Count() const { return static_cast<int>(FItems.size()); }
    int DoneCount() const { return FDoneCount; }
    // Percent of item Index converted: 0 before it starts, 100 once it ended
    // (failed or not), -1 while converting a file of unknown size.
    int Percent(int Index) const;

signals:
    void LogLine(const QString& Line);
    void ItemFinished(int Index, bool Succeeded);
    // Every item has ended, or a stopped run's conversions have.
    void Finished(bool Stopped);

private:
    enum TState { stPending, stRunning, stDone };
    struct TEntry {
        TItem Item;
        QString Key; // the output path as the file system sees it
        TState State = stPending;
        int Slot = -1;
        QStringList Lines;
    };

    void Advance();
    void StartWhatCan();
    int FreeSlot() const;
    void StartEntry(int Index, int Slot);
    void EndEntry(int Index, const QString& Error);
    void OnJobDone(int Slot, const QString& Error);
    void GiveOutDoneLines(bool Everything);

    const TcdSettings& FSettings;
    std::vector<std::unique_ptr<TBatchJob>> FJobs;
    std::vector<int> FEntryOfSlot; // -1 for an idle slot
    std::vector<TEntry> FItems;
    int FJobLimit;
    bool FPartFiles;
    int FRunning = 0;
    int FDoneCount = 0;
    int FGivenOut = 0; // entries whose lines went out
    bool FStopping = false;
    bool FEnded = false;
};

} // namespace app
