// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchRunner.h"

#include "app/engine/chain/ConversionChain.h"
#include "app/engine/settings/CdSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <algorithm>

namespace app {

const QList<int>& ParallelChoices()
{
    static const QList<int> Choices = {0, 1, 2, 4, 8, 16};
    return Choices;
}

int ParallelJobs(int Setting)
{
    if (Setting <= 0)
        return std::max(1, QThread::idealThreadCount());
    return std::min(Setting, MaxParallelJobs);
}

TBatchRunner::TBatchRunner(QObject* Parent) : QObject(Parent) {}

TBatchRunner::~TBatchRunner()
{
    // A conversion that stops services the synchronisation queue while it
    // waits, so other slots' completions may still arrive: they must find
    // nothing to do.
    FDestroying = true;
    FSlots.clear();
}

void TBatchRunner::SetOutput(const QString& OutputFolder, const TOutputFormat& Format, TIfExists IfExists)
{
    FOutputFolder = OutputFolder;
    FFormat = Format;
    FIfExists = IfExists;
}

void TBatchRunner::SetJobs(int Jobs)
{
    FJobLimit = std::clamp(Jobs, 1, MaxParallelJobs);
}

void TBatchRunner::SetOptions(const TcdSettings& Settings, const QString& OutputFolder)
{
    SetOutput(OutputFolder, TOutputFormat::FromSettings(Settings), IfExistsChoice(Settings.IfExists()));
    SetKeepTime(Settings.KeepTime());
    SetCopyTags(Settings.CopyTags());
    SetJobs(ParallelJobs(Settings.Parallel()));
}

TConversionRequest TBatchRunner::Request(const TItem& Item) const
{
    return {Item.Input, FOutputFolder, Item.RelativeFolder, FFormat, FIfExists, FKeepTime, FCopyTags};
}

void TBatchRunner::Start(const QList<TItem>& Items, const std::vector<int>& Lengths)
{
    if (FActive)
        return;
    FItems.clear();
    FLedger.Clear();
    std::fill(std::begin(FCounts), std::end(FCounts), 0);
    FRunning = 0;
    FDoneCount = 0;
    FGivenOut = 0;
    FStopping = false;
    FActive = true;
    FProgress.Start({});
    FElapsed.start();
    emit LogLine(QStringLiteral("Task Begin"));
    AddItems(Items);
    if (Lengths.size() == static_cast<size_t>(Items.size()))
        FProgress.Start(Lengths);
    Advance();
}

void TBatchRunner::Append(const QList<TItem>& Items)
{
    if (!FActive) {
        Start(Items);
        return;
    }
    AddItems(Items);
    Advance();
}

void TBatchRunner::AddItems(const QList<TItem>& Items)
{
    for (const TItem& Item : Items) {
        TEntry Entry;
        Entry.Item = Item;
        Entry.Output = TFileConversion::TargetPath(Request(Item));
        Entry.Key = QDir::cleanPath(QFileInfo(Entry.Output).absoluteFilePath());
        FItems.push_back(std::move(Entry));
    }
    FProgress.Append(std::vector<int>(static_cast<size_t>(Items.size()), 0));
}

// A stop asked for once every file had ended (from the last one's
// ItemFinished) has nothing left to stop: the run ends as finished.
void TBatchRunner::RequestStop()
{
    if (!FActive || FStopping || FDoneCount == Count())
        return;
    FStopping = true;
    Advance();
}

void TBatchRunner::Stop()
{
    StopInProgress(false);
}

void TBatchRunner::StopNow()
{
    StopInProgress(true);
}

// Each end goes through OnSlotDone; the last one ends the run.
void TBatchRunner::StopInProgress(bool Wait)
{
    if (!FActive || FDoneCount == Count())
        return;
    FStopping = true;
    for (TSlot& Slot : FSlots) {
        if (Slot.Entry < 0)
            continue;
        if (Wait)
            Slot.Conversion->StopNow();
        else
            Slot.Conversion->Stop();
    }
    Advance();
}

int TBatchRunner::Percent(int Index) const
{
    const TEntry& Item = Entry(Index);
    switch (Item.State) {
    case stPending:
        return 0;
    case stDone:
        return 100;
    default:
        return FSlots[static_cast<size_t>(Item.Slot)].Conversion->Percent();
    }
}

void TBatchRunner::Advance()
{
    if (!FActive)
        return;
    if (!FStopping)
        StartWhatCan();
    GiveOutDoneLines(FStopping && FRunning == 0);
    if (FRunning > 0 || (!FStopping && FDoneCount < Count()))
        return;
    FActive = false;
    if (!FStopping) {
        emit LogLine(QStringLiteral("Task End"));
        emit LogLine(QString());
    }
    emit Finished(FStopping);
}

// Entries start in list order; one waits while an earlier entry with the same
// output has not ended, so that the later file overwrites the earlier one (or,
// when renaming, finds its name taken).
void TBatchRunner::StartWhatCan()
{
    QSet<QString> Held;
    for (int Index = FGivenOut; Index < Count() && !FStopping; ++Index) {
        TEntry& Item = FItems[static_cast<size_t>(Index)];
        if (Item.State == stDone)
            continue;
        if (Item.State == stPending && !Held.contains(Item.Key)) {
            const int Slot = FreeSlot();
            if (Slot < 0)
                return;
            StartEntry(Index, Slot);
        }
        Held.insert(Item.Key);
    }
}

// An idle slot, a new one while fewer than the jobs exist, else -1.
int TBatchRunner::FreeSlot()
{
    for (size_t Index = 0; Index < FSlots.size() && Index < static_cast<size_t>(FJobLimit); ++Index)
        if (FSlots[Index].Entry < 0)
            return static_cast<int>(Index);
    if (FSlots.size() >= static_cast<size_t>(FJobLimit))
        return -1;
    const int Index = static_cast<int>(FSlots.size());
    TSlot Slot;
    Slot.Chain = std::make_unique<TConversionChain>();
    Slot.Conversion = std::make_unique<TFileConversion>(*Slot.Chain);
    connect(Slot.Conversion.get(), &TFileConversion::Progress, this,
            [this, Index](int Percent) { OnSlotProgress(Index, Percent); });
    connect(Slot.Conversion.get(), &TFileConversion::Finished, this,
            [this, Index](TConversionResult Result, const QString& Message) { OnSlotDone(Index, Result, Message); });
    FSlots.push_back(std::move(Slot));
    return Index;
}

void TBatchRunner::StartEntry(int Index, int Slot)
{
    TEntry& Item = FItems[static_cast<size_t>(Index)];
    TSlot& Free = FSlots[static_cast<size_t>(Slot)];
    Item.Lines << LoadLine(Item.Item.Input);
    Item.State = stRunning;
    Item.Slot = Slot;
    Free.Entry = Index;
    ++FRunning;
    // Slots that fill every processor leave the resampler's helper threads
    // nothing to run on but the time of another file.
    const int Busy = std::min(FJobLimit, Count() - FDoneCount);
    Free.Chain->Resampler().SetHelperThreads(Busy < QThread::idealThreadCount());
    Free.Conversion->Start(Request(Item.Item));
    Item.Output = Free.Conversion->OutputPath();
    FProgress.StartFile(Index);
    emit ItemStarted(Index);
    emit RunProgress(Snapshot());
}

void TBatchRunner::OnSlotProgress(int Slot, int Percent)
{
    const int Index = FSlots[static_cast<size_t>(Slot)].Entry;
    if (Index < 0 || FDestroying)
        return;
    FProgress.SetFilePercent(Index, Percent);
    emit ItemProgress(Index, Percent);
    emit RunProgress(Snapshot());
}

void TBatchRunner::OnSlotDone(int Slot, TConversionResult Result, const QString& Message)
{
    TSlot& Done = FSlots[static_cast<size_t>(Slot)];
    const int Index = Done.Entry;
    if (Index < 0 || FDestroying)
        return;
    Done.Entry = -1;
    --FRunning;
    TEntry& Item = FItems[static_cast<size_t>(Index)];
    Item.State = stDone;
    Item.Slot = -1;
    Item.Result = Result;
    Item.Message = Message;
    Item.Output = Done.Conversion->OutputPath();
    // Named as below the output folder, so that a tree of folders reads in the log.
    Item.Lines << ResultLines(Item.Item.RelativeFolder + QFileInfo(Item.Output).fileName(), Result, Message);
    if (Result == crConverted) {
        const QString Replaced = FLedger.Record(Item.Item.Input, Item.Output);
        if (!Replaced.isEmpty())
            Item.Lines << Replaced;
    }
    ++FDoneCount;
    ++FCounts[Result];
    FProgress.FinishFile(Index);
    emit ItemFinished(Index, Result);
    emit RunProgress(Snapshot());
    Advance();
}

// The lines of the done entries at the head of the list; with Everything, of
// every done entry, the ones behind an entry that never started included.
void TBatchRunner::GiveOutDoneLines(bool Everything)
{
    for (; FGivenOut < Count(); ++FGivenOut) {
        TEntry& Item = FItems[static_cast<size_t>(FGivenOut)];
        if (Item.State != stDone) {
            if (!Everything)
                return;
            continue;
        }
        for (const QString& Line : std::as_const(Item.Lines))
            emit LogLine(Line);
        Item.Lines.clear();
    }
}

} // namespace app
