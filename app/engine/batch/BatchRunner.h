// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchLog.h"
#include "RunProgress.h"
#include "app/engine/chain/FileConversion.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace app {

class TcdSettings;

class TConversionChain;

// The choices for how many files convert at once, as the settings store them:
// 0 (automatic: one per processor), then fixed counts.
const QList<int>& ParallelChoices();
// How many files convert at once for the setting Setting: the processor count
// for 0 (or anything below), else Setting, at most MaxParallelJobs.
int ParallelJobs(int Setting);
constexpr int MaxParallelJobs = 256;

// Converts a list of files with up to a given number of conversions at once,
// each in a slot of its own (a chain and a conversion), so that slots
// converting at once share no component; a slot that frees takes the next
// file at once. The window's batch list, its hot directory and kelvaro-cli all
// convert through it. The log reads as if the files had been converted one
// after another: "Task Begin", then for each file, in list order, its load
// line and its result lines together, given out as soon as that file and
// every file before it are done, then "Task End" and an empty line (none after
// a stopped run). Two files with one output path never convert at the same
// time, and the later one in the list writes last. User-interface thread only;
// the writers' completions arrive through the synchronisation queue.
class TBatchRunner : public QObject {
    Q_OBJECT

public:
    struct TItem {
        QString Input;
        QString RelativeFolder; // below the output folder: empty, or ending in "/"
    };

    explicit TBatchRunner(QObject* Parent = nullptr);
    ~TBatchRunner() override;

    // What the next run writes, and how many files at once (at least one).
    void SetOutput(const QString& OutputFolder, const TOutputFormat& Format, TIfExists IfExists);
    void SetJobs(int Jobs);
    // Whether the WAV files take their inputs' modification times.
    void SetKeepTime(bool Value) { FKeepTime = Value; }
    // Whether the WAV files carry the sources' tags and covers.
    void SetCopyTags(bool Value) { FCopyTags = Value; }
    // All of the above as Settings has them, into OutputFolder: what the
    // window's list and the hot directory run with.
    void SetOptions(const TcdSettings& Settings, const QString& OutputFolder);

    // Starts a run over Items, forgetting an earlier run's. Lengths, the
    // items' lengths in seconds (0: not known) or empty, weigh the run's
    // progress. Not while a run goes on.
    void Start(const QList<TItem>& Items, const std::vector<int>& Lengths = {});
    // Adds Items at the end of the run going on, or starts a run over them.
    void Append(const QList<TItem>& Items);
    // Starts nothing more; the conversions in progress finish. Finished(true)
    // follows once they have ended. Nothing when every file has ended: then
    // there is nothing to stop, and the run ends as finished.
    void RequestStop();
    // Starts nothing more and ends the conversions in progress early (each
    // ends as stopped, leaving nothing); Finished(true) follows once they have
    // ended. The lines of the files that are done are given out, in list
    // order, before it. Nothing when every file has ended.
    void Stop();
    // As Stop, but the conversions in progress have ended, and Finished been
    // given, when it returns.
    void StopNow();

    bool Running() const { return FActive; }
    int Count() const { return static_cast<int>(FItems.size()); }
    int DoneCount() const { return FDoneCount; }
    // How many files of the run ended with Result.
    int ResultCount(TConversionResult Result) const { return FCounts[Result]; }
    // Percent of item Index converted: 0 before it starts, 100 once it ended
    // (failed or not), -1 while converting a file of unknown size.
    int Percent(int Index) const;
    const QString& Input(int Index) const { return Entry(Index).Item.Input; }
    // Item Index's WAV path (the one written once it converted), its result and
    // message once it ended.
    const QString& Output(int Index) const { return Entry(Index).Output; }
    TConversionResult Result(int Index) const { return Entry(Index).Result; }
    const QString& Message(int Index) const { return Entry(Index).Message; }
    TRunSnapshot Snapshot() const { return FProgress.Snapshot(FElapsed.isValid() ? FElapsed.elapsed() : 0); }

signals:
    void LogLine(const QString& Line);
    // Item Index started converting into Output(Index).
    void ItemStarted(int Index);
    void ItemProgress(int Index, int Percent);
    void ItemFinished(int Index, app::TConversionResult Result);
    // Where the whole run stands: when a file starts, moves on and ends.
    void RunProgress(const app::TRunSnapshot& Progress);
    // Every item has ended, or a stopped run's conversions have.
    void Finished(bool Stopped);

private:
    enum TState { stPending, stRunning, stDone };
    struct TEntry {
        TItem Item;
        QString Key; // the output path as the file system sees it
        QString Output;
        TState State = stPending;
        TConversionResult Result = crFailed;
        QString Message;
        int Slot = -1;
        QStringList Lines;
    };
    struct TSlot {
        std::unique_ptr<TConversionChain> Chain;
        std::unique_ptr<TFileConversion> Conversion;
        int Entry = -1; // -1 while idle
    };

    const TEntry& Entry(int Index) const { return FItems[static_cast<size_t>(Index)]; }
    TConversionRequest Request(const TItem& Item) const;
    void AddItems(const QList<TItem>& Items);
    void Advance();
    void StopInProgress(bool Wait);
    void StartWhatCan();
    int FreeSlot();
    void StartEntry(int Index, int Slot);
    void OnSlotProgress(int Slot, int Percent);
    void OnSlotDone(int Slot, TConversionResult Result, const QString& Message);
    void GiveOutDoneLines(bool Everything);

    QString FOutputFolder;
    TOutputFormat FFormat;
    TIfExists FIfExists = ieOverwrite;
    bool FKeepTime = false;
    bool FCopyTags = false;
    int FJobLimit = 1;
    std::vector<TSlot> FSlots;
    std::vector<TEntry> FItems;
    TOutputLedger FLedger;
    TRunProgress FProgress;
    QElapsedTimer FElapsed;
    int FCounts[4] = {}; // by TConversionResult
    int FRunning = 0;
    int FDoneCount = 0;
    int FGivenOut = 0; // entries whose lines went out
    bool FActive = false;
    bool FStopping = false;
    bool FDestroying = false;
};

} // namespace app
