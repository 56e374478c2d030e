// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReadyQueue.h"

#include "DirectoryMonitor.h"
#include "TickSource.h"

#include <QCoreApplication>

#include <algorithm>

namespace app {

TReadyQueue::TReadyQueue() = default;
TReadyQueue::~TReadyQueue() = default;

TReadyQueue& TReadyQueue::Instance()
{
    static TReadyQueue Queue;
    return Queue;
}

void TReadyQueue::Append(const QString& FileName, DirectoryMonitor* Monitor)
{
    std::lock_guard Lock(ReadyLock);
    FEntries.push_back({FileName, Monitor});
}

int TReadyQueue::Count()
{
    std::lock_guard Lock(ReadyLock);
    return static_cast<int>(FEntries.size());
}

void TReadyQueue::Forget(DirectoryMonitor* Monitor)
{
    std::lock_guard Lock(ReadyLock);
    for (TEntry& Entry : FEntries)
        if (Entry.Monitor == Monitor)
            Entry.Monitor = nullptr;
}

void TReadyQueue::EnableDispatch()
{
    // Owned by the application object, so that it goes before the event loop does.
    if (!FDispatchTicks)
        FDispatchTicks = std::make_unique<TTimerTicks>(DispatchInterval, QCoreApplication::instance());
    FDispatchTicks->Start([this] { Dispatch(); });
}

void TReadyQueue::DisableDispatch()
{
    if (FDispatchTicks)
        FDispatchTicks->Stop();
}

bool TReadyQueue::DispatchEnabled() const
{
    return FDispatchTicks && FDispatchTicks->Active();
}

void TReadyQueue::SetDispatchTicks(std::unique_ptr<TTickSource> Ticks)
{
    const bool Enabled = DispatchEnabled();
    DisableDispatch();
    FDispatchTicks = std::move(Ticks);
    if (Enabled)
        EnableDispatch();
}

bool TReadyQueue::TakeFirst(TEntry& Entry)
{
    std::lock_guard Lock(ReadyLock);
    if (FEntries.empty())
        return false;
    Entry = std::move(FEntries.front());
    FEntries.pop_front();
    return true;
}

void TReadyQueue::Dispatch()
{
    if (FDepth >= MaxDepth)
        return;
    const int Take = std::min(Count(), MaxPerTick);
    TEntry Entry;
    for (int I = 0; I < Take && TakeFirst(Entry); ++I) {
        std::lock_guard Lock(DispatchLock);
        if (!Entry.Monitor)
            continue;
        // A copy, since the handler may stop, reconfigure or destroy its monitor.
        const TFileReadyEvent Handler = Entry.Monitor->OnFileReady();
        void* const UserData = Entry.Monitor->UserData();
        if (!Handler)
            continue;
        ++FDepth;
        Handler(Entry.FileName, UserData);
        --FDepth;
    }
}

} // namespace app
