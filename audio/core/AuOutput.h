// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuComponent.h"
#include "AuTypes.h"
#include "LockedValue.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace au {

class TAuInput;
class TAuThread;

// Handlers take only the sender; they read Progress, ExceptionMessage or Status
// from it. They run on the user-interface thread (see Synchronize.h).
using TOutputDoneEvent = std::function<void(TAuComponent* Sender)>;
using TOutputProgressEvent = std::function<void(TAuComponent* Sender)>;
using TThreadExceptionEvent = std::function<void(TAuComponent* Sender)>;

// Abstract sink. Owns a worker thread that runs Prepare, ProcessChunk until it
// returns false, then Finish; progress, failure and completion are delivered on
// the user-interface thread in that order. Every public method is for the UI
// thread unless it says otherwise.
class TAuOutput : public TAuComponent, private TAuInputUser {
public:
    TAuOutput();
    ~TAuOutput() override;

    // A busy output is stopped synchronously, takes the new input and runs again.
    virtual void SetInput(TAuInput* Value);
    TAuInput* Input() const { return FInput; }

    // Starts a run and returns at once. Throws "Component is Busy" or
    // "Input is not assigned"; takes the output lock.
    void Run();
    // Async: returns at once and OnDone follows. Otherwise returns after Finish
    // and no OnDone is delivered; pending UI-thread calls are serviced meanwhile.
    void Stop(bool Async = true);
    // Both return at once and tell the input. A pause holds from the moment it
    // is asked for, also while the run is still starting: the worker parks
    // before its next chunk (Pausing), and goes on after Resume (Resuming).
    void Pause();
    void Resume();

    // Paused from the moment Pause is asked for until Resume.
    TOutputStatus Status() const;
    // Percent of Input.Size delivered; -1 when the size is not known.
    int Progress() const;
    std::string ExceptionMessage() const { return FExceptionMessage.Get(); }
    bool Busy() const { return FBusy; }
    bool Active() const { return FActive; }
    bool Stopped() const { return FStopped; }

    void SetOnDone(TOutputDoneEvent Handler) { FOnDone.Set(std::move(Handler)); }
    void SetOnProgress(TOutputProgressEvent Handler) { FOnProgress.Set(std::move(Handler)); }
    void SetOnThreadException(TThreadExceptionEvent Handler) { FOnThreadException.Set(std::move(Handler)); }
    TOutputDoneEvent OnDone() const { return FOnDone.Get(); }
    TOutputProgressEvent OnProgress() const { return FOnProgress.Get(); }
    TThreadExceptionEvent OnThreadException() const { return FOnThreadException.Get(); }

protected:
    // Worker thread. Pulls one chunk from Input and delivers it; false when there
    // is nothing more to do. Abort is true once a stop was requested.
    virtual bool ProcessChunk(bool Abort) = 0;
    // Worker thread. Completes the sink after the loop (also after a failure).
    virtual void Finish() = 0;
    // Worker thread. Opens the sink and calls Input->Init().
    virtual void Prepare() = 0;
    // Worker thread, after Prepare: the worker is about to park for a pause,
    // and has woken from one to go on (not after a stop).
    virtual void Pausing() {}
    virtual void Resuming() {}

    void DoDestroying() override;

    std::atomic<bool> FStopped{false};
    std::atomic<bool> FActive{false};
    std::atomic<int32_t> FLastProgress{0};
    std::atomic<bool> FBusy{false};

private:
    friend class TAuThread;
    friend class TEventHandler;

    void InputRemoved(TAuInput* Removed) override;
    void StoreInput(TAuInput* Value);
    void SetExceptionMessage(const std::string& Message) { FExceptionMessage.Set(Message); }

    std::unique_ptr<TAuThread> FThread;
    std::atomic<TAuInput*> FInput{nullptr};
    // Counts runs, so that a late completion of one run never touches the next.
    std::atomic<uint64_t> FRunId{0};
    std::recursive_mutex FOutputLock;
    TLockedValue<TOutputDoneEvent> FOnDone;
    TLockedValue<TOutputProgressEvent> FOnProgress;
    TLockedValue<TThreadExceptionEvent> FOnThreadException;
    TLockedValue<std::string> FExceptionMessage;
};

} // namespace au
