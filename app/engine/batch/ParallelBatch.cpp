// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParallelBatch.h"

#include "app/engine/chain/ConversionChain.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <thread>

namespace app {

TParallelBatch::TParallelBatch(const QString& OutputFolder, const TOutputFormat& Format, TIfExists IfExists,
                               int Jobs, QObject* Parent)
    : QObject(Parent), FOutputFolder(OutputFolder), FFormat(Format), FIfExists(IfExists),
      FJobLimit(std::max(1, Jobs))
{
}

TParallelBatch::~TParallelBatch()
{
    // A conversion that stops services the synchronisation queue while it
    // waits, so other slots' completions may still arrive: they must find
    // nothing to do.
    FEnded = true;
    FSlots.clear();
}

TConversionRequest TParallelBatch::Request(const TItem& Item) const
{
    TConversionRequest Made{Item.Input, FOutputFolder, Item.RelativeFolder, FFormat, FIfExists};
    Made.CopyTags = FCopyTags;
    return Made;
}

void TParallelBatch::Start(const QList<TItem>& Items)
{
    for (const TItem& Item : Items) {
        TEntry Entry;
        Entry.Item = Item;
        Entry.Output = TFileConversion::TargetPath(Request(Item));
        Entry.Key = QDir::cleanPath(QFileInfo(Entry.Output).absoluteFilePath());
        FItems.push_back(std::move(Entry));
    }
    const int Slots = std::min(FJobLimit, Count());
    // Slots that fill every processor leave the resampler's helper threads
    // nothing to run on but the time of another file.
    const bool SpareProcessors = Slots < static_cast<int>(std::thread::hardware_concurrency());
    for (int Index = 0; Index < Slots; ++Index) {
        TSlot Slot;
        Slot.Chain = std::make_unique<TConversionChain>();
        au::TFastResampler& Resampler = Slot.Chain->Resampler();
        Resampler.SetHelperThreads(Resampler.HelperThreads() && SpareProcessors);
        Slot.Conversion = std::make_unique<TFileConversion>(*Slot.Chain);
        connect(Slot.Conversion.get(), &TFileConversion::Finished, this,
                [this, Index](TConversionResult Result, const QString& Message) { OnSlotDone(Index, Result, Message); });
        FSlots.push_back(std::move(Slot));
    }
    emit LogLine(QStringLiteral("Task Begin"));
    Advance();
}

void TParallelBatch::Stop()
{
    if (FStopping || FEnded)
        return;
    FStopping = true;
    for (TSlot& Slot : FSlots)
        if (Slot.Entry >= 0)
            Slot.Conversion->Stop();
    Advance();
}

int TParallelBatch::Percent(int Index) const
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
// output has not ended, so that the later file overwrites the earlier one (or,
// when renaming, finds its name taken).
void TParallelBatch::StartWhatCan()
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

int TParallelBatch::FreeSlot() const
{
    const auto Free =
        std::find_if(FSlots.begin(), FSlots.end(), [](const TSlot& Slot) { return Slot.Entry < 0; });
    return Free == FSlots.end() ? -1 : static_cast<int>(Free - FSlots.begin());
}

void TParallelBatch::StartEntry(int Index, int Slot)
{
    TEntry& Item = FItems[static_cast<size_t>(Index)];
    Item.Lines << LoadLine(Item.Item.Input);
    Item.State = stRunning;
    Item.Slot = Slot;
    FSlots[static_cast<size_t>(Slot)].Entry = Index;
    ++FRunning;
    emit ItemStarted(Index);
    FSlots[static_cast<size_t>(Slot)].Conversion->Start(Request(Item.Item));
}

void TParallelBatch::OnSlotDone(int Slot, TConversionResult Result, const QString& Message)
{
    TSlot& Done = FSlots[static_cast<size_t>(Slot)];
    const int Index = Done.Entry;
    if (Index < 0 || FEnded)
        return;
    Done.Entry = -1;
    --FRunning;
    TEntry& Item = FItems[static_cast<size_t>(Index)];
    Item.State = stDone;
    Item.Slot = -1;
    Item.Result = Result;
    Item.Message = Message;
    Item.Output = Done.Conversion->OutputPath();
    // Named as below the output folder, so that -R's tree reads in the log.
    Item.Lines << ResultLines(Item.Item.RelativeFolder + QFileInfo(Item.Output).fileName(), Result, Message);
    if (Result == crConverted) {
        const QString Replaced = FLedger.Record(Item.Item.Input, Item.Output);
        if (!Replaced.isEmpty())
            Item.Lines << Replaced;
    }
    ++FDoneCount;
    emit ItemFinished(Index, Result);
    Advance();
}

// The lines of the done entries at the head of the list; with Everything, of
// every done entry, the ones behind an entry that never started included.
void TParallelBatch::GiveOutDoneLines(bool Everything)
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
