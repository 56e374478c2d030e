// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AuComponent.h"
#include "AutoResetEvent.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace au {

class TAuOutput;
class TAuThread;

enum class TEventKind : uint8_t { Progress = 0, Done = 1, ThreadException = 2 };

struct TEventRecord {
    TEventKind Kind = TEventKind::Progress;
    TAuOutput* Sender = nullptr;
    // Copied when the record is made; a done record reads OnDone at dispatch.
    std::function<void(TAuComponent*)> Handler;
    TAuThread* Thread = nullptr;
    uint64_t RunId = 0;
};

// The one event-dispatch thread of the process: it takes the notifications that
// workers queue and runs their handlers on the user-interface thread, one at a
// time, in the order they were queued. It lives while any output does.
class TEventHandler {
public:
    // UI thread: every output takes a reference while it lives. The last release
    // stops the dispatcher (servicing UI-thread calls while it waits).
    static TEventHandler& AddRef();
    static void Release();
    // The live dispatcher; only while some output holds a reference.
    static TEventHandler& Instance();

    // Any thread. Records of the blocked output are discarded.
    void Post(TEventRecord Record);
    void Block(TAuOutput* Output);
    void Unblock();
    // Drops the queued records of Output that belong to runs up to RunId.
    void Purge(TAuOutput* Output, uint64_t UpToRunId = UINT64_MAX);
    // UI thread: purges Output and waits until none of its records is being
    // dispatched, so that the output may be freed.
    void Forget(TAuOutput* Output);

private:
    TEventHandler();
    ~TEventHandler();
    void Execute();
    void Dispatch(TEventRecord& Record);
    void DispatchDone(TEventRecord& Record);

    std::recursive_mutex FQueueLock;
    std::deque<TEventRecord> FQueue;
    TAutoResetEvent FWake; // "mainevent"
    TAuOutput* FDispatching = nullptr;
    TAuOutput* FBlocked = nullptr;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    std::thread FThread;
};

} // namespace au
