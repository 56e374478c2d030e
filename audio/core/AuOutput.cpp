// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuOutput.h"

#include "AuException.h"
#include "AuInput.h"
#include "AuThread.h"
#include "EventHandler.h"
#include "Rounding.h"
#include "Synchronize.h"

#include <chrono>
#include <thread>

namespace au {
namespace {
constexpr auto PauseAckTimeout = std::chrono::milliseconds(5000);
constexpr auto StopPumpInterval = std::chrono::milliseconds(1);
} // namespace

TAuOutput::TAuOutput()
{
    TEventHandler::AddRef();
    FThread = std::make_unique<TAuThread>(this);
}

TAuOutput::~TAuOutput()
{
    Destroying();
}

void TAuOutput::DoDestroying()
{
    Stop(false);
    FThread->Terminate();
    TEventHandler::Instance().Forget(this);
    StoreInput(nullptr);
    TEventHandler::Release();
}

void TAuOutput::StoreInput(TAuInput* Value)
{
    TAuInput* Old = FInput.exchange(Value);
    if (Old == Value)
        return;
    if (Old != nullptr)
        Old->RemoveUser(this);
    if (Value != nullptr)
        Value->AddUser(this);
}

void TAuOutput::InputRemoved(TAuInput* Removed)
{
    if (FInput != Removed)
        return;
    try {
        SetInput(nullptr);
    } catch (const EAuException&) {
        // The restart without an input is refused; the output is left idle
        // with no input, and a destructor has no one to report that to.
    }
}

void TAuOutput::SetInput(TAuInput* Value)
{
    if (FBusy) {
        Stop(false);
        StoreInput(Value);
        Run();
    } else {
        StoreInput(Value);
    }
}

void TAuOutput::Run()
{
    std::lock_guard<std::recursive_mutex> Guard(FOutputLock);
    SetExceptionMessage(std::string());
    if (FBusy)
        throw EAuException("Component is Busy");
    if (FInput == nullptr)
        throw EAuException("Input is not assigned");
    FBusy = true;
    // A stop asked for while idle belongs to no run.
    FStopped = false;
    ++FRunId;
    FThread->FStopRequested = false;
    // Cleared here rather than by the worker after preparing, which may take a
    // while (a sound server to reach): a pause asked for meanwhile is kept and
    // answered at the first chunk, instead of holding the caller for seconds.
    FThread->FPauseRequested = false;
    FThread->FPaused = false;
    FThread->FPauseAck.Reset();
    FThread->RequestRun();
}

void TAuOutput::Stop(bool Async)
{
    FStopped = true;
    TAuThread& Worker = *FThread;
    Worker.FNotifyDone = Async;
    Worker.FDonePosted = false;
    Worker.FStopRequested = true;
    while (Worker.FPaused) {
        Worker.FGo.Signal();
        std::this_thread::yield();
    }
    if (Async)
        return;

    TEventHandler& Events = TEventHandler::Instance();
    Events.Block(this);
    Events.Purge(this);
    const bool OnMainThread = IsMainThread();
    while (!Worker.Idle() && !Worker.FDonePosted && !Worker.FFinished) {
        // A handler being delivered to this thread must not wait for us.
        if (OnMainThread)
            CheckSynchronize(StopPumpInterval);
        else
            std::this_thread::yield();
    }
    Events.Unblock();
    Worker.FNotifyDone = true;
}

void TAuOutput::Pause()
{
    if (FInput == nullptr)
        throw EAuException("Input is not assigned.");
    if (!FBusy)
        return;
    FThread->FPauseRequested = true;
    FThread->FPauseAck.WaitFor(PauseAckTimeout);
    if (TAuInput* Source = FInput)
        Source->Pause();
}

void TAuOutput::Resume()
{
    if (!FBusy || !FThread->FPaused)
        return;
    if (TAuInput* Source = FInput)
        Source->Resume();
    while (FThread->FPaused) {
        FThread->FGo.Signal();
        std::this_thread::yield();
    }
}

TOutputStatus TAuOutput::Status() const
{
    if (!FBusy)
        return osIdle;
    return FThread->FPaused ? osPaused : osRunning;
}

int TAuOutput::Progress() const
{
    TAuInput* Source = FInput;
    if (Source == nullptr)
        return 0;
    const int64_t Size = Source->Size();
    if (Size == -1)
        return -1;
    if (Size == 0)
        return 0;
    const long double Fraction =
        static_cast<long double>(Source->Position()) / static_cast<long double>(Size);
    return static_cast<int>(RoundToEven(Fraction * 100));
}

} // namespace au
