// SPDX-License-Identifier: GPL-3.0-or-later
#include "AuThread.h"

#include "AuInput.h"
#include "AuOutput.h"
#include "EventHandler.h"

#include <exception>

namespace au {

TAuThread::TAuThread(TAuOutput* Output) : FOutput(Output)
{
    FThread = std::thread([this] { Execute(); });
}

TAuThread::~TAuThread()
{
    Terminate();
}

void TAuThread::RequestRun()
{
    FRunRequested = true;
    FGo.Signal();
}

void TAuThread::Terminate()
{
    FTerminated = true;
    FGo.Signal();
    if (FThread.joinable())
        FThread.join();
}

// The request flag is raised before the event is signalled and tested after the
// event is reset, so a run asked for at any moment is seen: either the test finds
// the flag or the wait finds the signal. Waiting drops before the request is
// consumed, so Idle() never reports a worker that is about to run.
void TAuThread::WaitForGo()
{
    FGo.Reset();
    FWaiting = true;
    for (;;) {
        if (FRunRequested) {
            FWaiting = false;
            FRunRequested = false;
            return;
        }
        if (FTerminated) {
            FWaiting = false;
            return;
        }
        FGo.Wait();
    }
}

bool TAuThread::Idle() const
{
    if (FRunRequested)
        return false;
    return FWaiting;
}

void TAuThread::Execute()
{
    WaitForGo();
    while (!FTerminated) {
        RunOnce(FOutput->FRunId);
        if (!FTerminated)
            WaitForGo();
    }
    FFinished = true;
}

void TAuThread::RunOnce(uint64_t RunId)
{
    TEventHandler& Events = TEventHandler::Instance();
    auto Post = [&](TEventKind Kind, std::function<void(TAuComponent*)> Handler) {
        TEventRecord Record;
        Record.Kind = Kind;
        Record.Sender = FOutput;
        Record.Handler = std::move(Handler);
        Record.Thread = this;
        Record.RunId = RunId;
        Events.Post(std::move(Record));
    };

    auto Fail = [&](const std::string& Message) {
        FOutput->SetExceptionMessage(Message);
        if (auto Handler = FOutput->OnThreadException())
            Post(TEventKind::ThreadException, std::move(Handler));
        FStopRequested = true;
    };

    try {
        FOutput->Prepare();
        FOutput->FActive = true;
        bool More = true;
        while (More && !FStopRequested) {
            const int Percent = FOutput->Progress();
            if (Percent != FOutput->FLastProgress) {
                FOutput->FLastProgress = FOutput->Progress();
                if (auto Handler = FOutput->OnProgress())
                    Post(TEventKind::Progress, std::move(Handler));
            }
            if (FPauseRequested) {
                FPauseRequested = false;
                FGo.Reset();
                FPaused = true;
                FPauseAck.Signal();
                FGo.Wait();
                FPaused = false;
            }
            More = FOutput->ProcessChunk(FStopRequested);
        }
    } catch (const std::exception& E) {
        Fail(E.what());
    } catch (...) {
        Fail("Unknown error");
    }
    FStopRequested = false;

    try {
        if (FOutput->FBusy) {
            FOutput->FActive = false;
            FOutput->Finish();
            FOutput->FStopped = false;
            FOutput->FBusy = false;
        }
    } catch (const std::exception& E) {
        // A sink that cannot complete (a header that cannot be written back)
        // has failed, even when every chunk went well.
        if (FOutput->ExceptionMessage().empty())
            Fail(E.what());
        FOutput->FBusy = false;
    } catch (...) {
        if (FOutput->ExceptionMessage().empty())
            Fail("Unknown error");
        FOutput->FBusy = false;
    }

    TEventRecord Done;
    Done.Kind = TEventKind::Done;
    Done.Sender = FOutput;
    Done.Thread = this;
    Done.RunId = RunId;
    Events.Post(std::move(Done));
    FDonePosted = true;
}

} // namespace au
