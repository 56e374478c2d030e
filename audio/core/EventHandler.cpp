// SPDX-License-Identifier: GPL-3.0-or-later
#include "EventHandler.h"

#include "AuOutput.h"
#include "AuThread.h"
#include "Synchronize.h"

#include <algorithm>
#include <chrono>

namespace au {
namespace {

std::mutex& InstanceLock()
{
    static std::mutex Lock;
    return Lock;
}

TEventHandler* GInstance = nullptr;
int GReferences = 0;

constexpr auto WakeInterval = std::chrono::milliseconds(100);
constexpr auto DonePollInterval = std::chrono::milliseconds(10);
constexpr auto PumpInterval = std::chrono::milliseconds(1);

} // namespace

TEventHandler& TEventHandler::AddRef()
{
    std::lock_guard<std::mutex> Guard(InstanceLock());
    if (GReferences++ == 0)
        GInstance = new TEventHandler();
    return *GInstance;
}

void TEventHandler::Release()
{
    TEventHandler* Last = nullptr;
    {
        std::lock_guard<std::mutex> Guard(InstanceLock());
        if (--GReferences == 0) {
            Last = GInstance;
            GInstance = nullptr;
        }
    }
    delete Last;
}

TEventHandler& TEventHandler::Instance()
{
    std::lock_guard<std::mutex> Guard(InstanceLock());
    return *GInstance;
}

TEventHandler::TEventHandler()
{
    FThread = std::thread([this] { Execute(); });
}

TEventHandler::~TEventHandler()
{
    FTerminated = true;
    FWake.Signal();
    // The dispatcher may be waiting for this thread to run a handler.
    const bool OnMainThread = IsMainThread();
    while (!FFinished) {
        if (OnMainThread)
            CheckSynchronize(PumpInterval);
        else
            std::this_thread::sleep_for(PumpInterval);
    }
    FThread.join();
}

void TEventHandler::Post(TEventRecord Record)
{
    {
        std::lock_guard<std::recursive_mutex> Guard(FQueueLock);
        if (Record.Sender == FBlocked)
            return;
        FQueue.push_back(std::move(Record));
    }
    FWake.Signal();
}

void TEventHandler::Block(TAuOutput* Output)
{
    std::lock_guard<std::recursive_mutex> Guard(FQueueLock);
    FBlocked = Output;
}

void TEventHandler::Unblock()
{
    std::lock_guard<std::recursive_mutex> Guard(FQueueLock);
    FBlocked = nullptr;
}

void TEventHandler::Purge(TAuOutput* Output, uint64_t UpToRunId)
{
    std::lock_guard<std::recursive_mutex> Guard(FQueueLock);
    FQueue.erase(std::remove_if(FQueue.begin(), FQueue.end(),
                                [&](const TEventRecord& R) {
                                    return R.Sender == Output && R.RunId <= UpToRunId;
                                }),
                 FQueue.end());
}

void TEventHandler::Forget(TAuOutput* Output)
{
    Purge(Output);
    const bool OnMainThread = IsMainThread();
    for (;;) {
        {
            std::lock_guard<std::recursive_mutex> Guard(FQueueLock);
            if (FDispatching != Output)
                return;
        }
        if (OnMainThread)
            CheckSynchronize(PumpInterval);
        else
            std::this_thread::sleep_for(PumpInterval);
    }
}

void TEventHandler::Execute()
{
    while (!FTerminated) {
        for (;;) {
            TEventRecord Record;
            {
                std::lock_guard<std::recursive_mutex> Guard(FQueueLock);
                if (FQueue.empty())
                    break;
                Record = std::move(FQueue.front());
                FQueue.pop_front();
                FDispatching = Record.Sender;
            }
            try {
                Dispatch(Record);
            } catch (...) {
                // A handler's failure must not end the dispatch of everyone else's.
            }
            std::lock_guard<std::recursive_mutex> Guard(FQueueLock);
            FDispatching = nullptr;
        }
        FWake.WaitFor(WakeInterval);
    }
    FFinished = true;
}

void TEventHandler::Dispatch(TEventRecord& Record)
{
    if (Record.Kind == TEventKind::Done) {
        DispatchDone(Record);
        return;
    }
    if (Record.Handler)
        Synchronize([&Record] { Record.Handler(Record.Sender); });
}

void TEventHandler::DispatchDone(TEventRecord& Record)
{
    TAuOutput* Output = Record.Sender;
    TAuThread* Worker = Record.Thread;
    while (!Worker->FWaiting && !Worker->FFinished && Output->FRunId == Record.RunId &&
           !FTerminated)
        std::this_thread::sleep_for(DonePollInterval);
    {
        std::lock_guard<std::recursive_mutex> Guard(Output->FOutputLock);
        if (Output->FRunId == Record.RunId)
            Output->FBusy = false;
    }
    Purge(Output, Record.RunId);
    TOutputDoneEvent Handler = Output->OnDone();
    if (Handler && Worker->FNotifyDone)
        Synchronize([&] { Handler(Output); });
}

} // namespace au
