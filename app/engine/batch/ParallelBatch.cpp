// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParallelBatch.h"

#include "BatchJob.h"
#include "BatchLog.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <thread>

namespace app {

TParallelBatch::TParallelBatch(const TcdSettings& Settings, int Jobs, bool PartFiles, QObject* Parent)
    : QObject(Parent), FSettings(Settings), FJobLimit(std::max(1, Jobs)), FPartFiles(PartFiles)
{
}

TParallelBatch::~TParallelBatch()
{
    // A job that stops services the synchronisation queue while it waits, so
    // other jobs' completions may still arrive: they must find nothing to do.
    FEnded = true;
    FJobs.clear();
}

void TParallelBatch::Start(const QList<TItem>& Items)
{
    for (const TItem& Item : Items) {
        TEntry Entry;
        Entry.Item = Item;
        Entry.Key = QDir::cleanPath(QFileInfo(Item.Output).absoluteFilePath());
        FItems.push_back(std::move(Entry));
    }
    const int Slots = std::min(FJobLimit, Count());
    // Slots that fill every processor leave the resampler's helper threads
    // nothing to run on but the time of another file.
    const bool SpareProcessors = Slots < static_cast<int>(std::thread::hardware_concurrency());
    for (int Slot = 0; Slot < Slots; ++Slot) {
        FJobs.push_back(std::make_unique<TBatchJob>(
            FPartFiles, SpareProcessors, [this, Slot](const QString& Error) { OnJobDone(Slot, Error); }));
        FEntryOfSlot.push_back(-1);
    }
    emit LogLine(QStringLiteral("Task Begin"));
    Advance();
}

void TParallelBatch::Stop()
{
    if (FStopping || FEnded)
        return;
    FStopping = true;
    for (size_t Slot = 0; Slot < FJobs.size(); ++Slot)
        if (FEntryOfSlot[Slot] >= 0)
            FJobs[Slot]->Stop();
    Advance();
}

int TParallelBatch::Percent(int Index) const
{
    const TEntry& Entry = FItems[static_cast<size_t>(Index)];
    switch (Entry.State) {
    case stPending:
        return 0;
    case stDone:
        return 100;
    default:
        return FJobs[static_cast<size_t>(Entry.Slot)]->Progress();
    }
}

void TParallelBatch::Advance()
{
    if (!FStopping)
        StartWhatCan();
    if (FEnded)
        return;
    GiveOutDoneLines(FStopping && FRunning == 0);
    if (FRunning > 0 || (!FStopping && FDoneCount < Count()))
        return;
    FEnded = true;
    if (!FStopping) {
        emit LogLine(QStringLiteral("Task End"));
        emit LogLine(QString());
    }
    emit Finished(FStopping);
}

// Entries start in list order; one waits while an earlier entry with the same
// output has not ended, so that the later file overwrites the earlier one.
void TParallelBatch::StartWhatCan()
{
    QSet<QString> Held;
    // A handler of ItemFinished (a start that failed at once) may have stopped the run.
    for (int Index = FGivenOut; Index < Count() && !FStopping; ++Index) {
        TEntry& Entry = FItems[static_cast<size_t>(Index)];
        if (Entry.State == stDone)
            continue;
        if (Entry.State == stPending && !Held.contains(Entry.Key)) {
            const int Slot = FreeSlot();
            if (Slot < 0)
                return;
            StartEntry(Index, Slot);
        }
        if (Entry.State != stDone)
            Held.insert(Entry.Key);
    }
}

int TParallelBatch::FreeSlot() const
{
    const auto Free = std::find(FEntryOfSlot.begin(), FEntryOfSlot.end(), -1);
    return Free == FEntryOfSlot.end() ? -1 : static_cast<int>(Free - FEntryOfSlot.begin());
}

void TParallelBatch::StartEntry(int Index, int Slot)
{
    TEntry& Entry = FItems[static_cast<size_t>(Index)];
    Entry.Lines << LoadLine(Entry.Item.Input);
    // A folder that cannot be made fails the writer with the system's text.
    QDir().mkpath(QFileInfo(Entry.Item.Output).path());
    const QString Error = FJobs[static_cast<size_t>(Slot)]->Start(Entry.Item.Input, Entry.Item.Output, FSettings);
    if (!Error.isEmpty()) {
        EndEntry(Index, Error);
        return;
    }
    Entry.State = stRunning;
    Entry.Slot = Slot;
    FEntryOfSlot[static_cast<size_t>(Slot)] = Index;
    ++FRunning;
}

void TParallelBatch::EndEntry(int Index, const QString& Error)
{
    TEntry& Entry = FItems[static_cast<size_t>(Index)];
    Entry.State = stDone;
    Entry.Slot = -1;
    Entry.Lines << ResultLines(Entry.Item.Output, Error);
    ++FDoneCount;
    emit ItemFinished(Index, Error.isEmpty());
}

void TParallelBatch::OnJobDone(int Slot, const QString& Error)
{
    const int Index = FEntryOfSlot[static_cast<size_t>(Slot)];
    if (Index < 0 || FEnded)
        return;
    FEntryOfSlot[static_cast<size_t>(Slot)] = -1;
    --FRunning;
    EndEntry(Index, Error);
    Advance();
}

// The lines of the done entries at the head of the list; with Everything, of
// every done entry, the ones behind an entry that never started included.
void TParallelBatch::GiveOutDoneLines(bool Everything)
{
    for (; FGivenOut < Count(); ++FGivenOut) {
        TEntry& Entry = FItems[static_cast<size_t>(FGivenOut)];
        if (Entry.State != stDone) {
            if (!Everything)
                return;
            continue;
        }
        for (const QString& Line : std::as_const(Entry.Lines))
            emit LogLine(Line);
        Entry.Lines.clear();
    }
}

} // namespace app
