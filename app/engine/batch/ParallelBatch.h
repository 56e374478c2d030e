// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchLog.h"
#include "app/engine/chain/FileConversion.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace app {

class TConversionChain;

// Converts a list of files with up to a given number of conversions at once,
// each in a slot of its own (a chain and a conversion), so that slots
// converting at once share no component. The log reads as if the files had
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
        QString RelativeFolder; // below the output folder: empty, or ending in "/"
    };

    // Jobs: the most conversions at once (at least one).
    TParallelBatch(const QString& OutputFolder, const TOutputFormat& Format, TIfExists IfExists, int Jobs,
                   QObject* Parent = nullptr);
    ~TParallelBatch() override;

    // Before Start: the WAV files carry the sources' tags.
    void SetCopyTags(bool Value) { FCopyTags = Value; }
    // Starts converting Items, once per object.
    void Start(const QList<TItem>& Items);
    // Starts nothing more and ends the conversions in progress early (each
    // ends as stopped); Finished(true) follows once they have ended. The lines
    // of the files that are done are given out, in list order, before it.
    void Stop();

    int Count() const { return static_cast<int>(FItems.size()); }
    int DoneCount() const { return FDoneCount; }
    // Percent of item Index converted: 0 before it starts, 100 once it ended
    // (failed or not), -1 while converting a file of unknown size.
    int Percent(int Index) const;
    // Item Index's WAV path (the one written once it converted), its result and
    // message once it ended.
    const QString& Output(int Index) const { return Entry(Index).Output; }
    TConversionResult Result(int Index) const { return Entry(Index).Result; }
    const QString& Message(int Index) const { return Entry(Index).Message; }

signals:
    void LogLine(const QString& Line);
    void ItemStarted(int Index);
    void ItemFinished(int Index, app::TConversionResult Result);
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
    void Advance();
    void StartWhatCan();
    int FreeSlot() const;
    void StartEntry(int Index, int Slot);
    void OnSlotDone(int Slot, TConversionResult Result, const QString& Message);
    void GiveOutDoneLines(bool Everything);

    QString FOutputFolder;
    TOutputFormat FFormat;
    TIfExists FIfExists;
    bool FCopyTags = false;
    std::vector<TSlot> FSlots;
    std::vector<TEntry> FItems;
    TOutputLedger FLedger;
    int FJobLimit;
    int FRunning = 0;
    int FDoneCount = 0;
    int FGivenOut = 0; // entries whose lines went out
    bool FStopping = false;
    bool FEnded = false;
};

} // namespace app
