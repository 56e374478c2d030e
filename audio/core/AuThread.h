// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AutoResetEvent.h"

#include <atomic>
#include <thread>

namespace au {

class TAuOutput;

// The worker of one output: idle on its go event between runs, otherwise running
// the output's Prepare / ProcessChunk / Finish cycle. Flags are read by the UI
// thread and the event dispatcher, hence atomic.
class TAuThread {
public:
    explicit TAuThread(TAuOutput* Output);
    ~TAuThread();
    TAuThread(const TAuThread&) = delete;
    TAuThread& operator=(const TAuThread&) = delete;

    // Any thread. Asks for a run; never lost, even before the worker first waits.
    void RequestRun();
    // Ends the thread once it is idle and joins it.
    void Terminate();
    // Parked on the go event with no run asked for.
    bool Idle() const;

    TAutoResetEvent FGo;
    std::atomic<bool> FNotifyDone{true};
    std::atomic<bool> FDonePosted{false};
    std::atomic<bool> FStopRequested{false};
    std::atomic<bool> FPauseRequested{false};
    std::atomic<bool> FPaused{false};
    std::atomic<bool> FWaiting{false};
    std::atomic<bool> FFinished{false};

private:
    void Execute();
    void WaitForGo();
    void RunOnce(uint64_t RunId);
    // Waits between chunks while a pause is asked for and no stop.
    void Park();

    TAuOutput* FOutput;
    std::atomic<bool> FRunRequested{false};
    std::atomic<bool> FTerminated{false};
    std::thread FThread;
};

} // namespace au
