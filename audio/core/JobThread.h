// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cfenv>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace au {

// A thread that runs one fixed job on request while its owner does other work.
// The owner then takes the job back if the thread has not started it yet (on
// a busy machine the thread may wait long for a processor, and the owner need
// not wait with it), or else waits for it to end. The thread lives as long as
// the object, so each request costs a wake-up, not a new thread.
//
// Owner thread only (one owner): Begin, then Withdraw before the next Begin.
// Everything the owner wrote before Begin is visible to the job, and everything
// the job wrote is visible to the owner after Withdraw. The job runs under the
// floating-point environment (rounding, precision) the owner had at Begin, so
// arithmetic split between the two threads gives the owner's results.
class TJobThread {
public:
    // Job must not throw. Starts the thread, idle until the first Begin.
    explicit TJobThread(std::function<void()> Job);
    // Drops a run that has not begun, waits for one under way, then ends and
    // joins the thread.
    ~TJobThread();
    TJobThread(const TJobThread&) = delete;
    TJobThread& operator=(const TJobThread&) = delete;

    // Starts one run of the job and returns at once.
    void Begin();
    // Takes back the run that Begin asked for when the thread has not started
    // it, and returns true: the owner then does the job itself. Otherwise waits
    // for the run to end and returns false.
    bool Withdraw();

private:
    void Execute();

    std::function<void()> FJob;
    std::mutex FMutex;
    std::condition_variable FChanged;
    bool FPending = false; // guarded by FMutex: a run was asked for and is not done
    bool FRunning = false; // guarded by FMutex: the job is under way
    bool FQuit = false;    // guarded by FMutex
    std::fenv_t FEnvironment{}; // guarded by FMutex
    std::thread FThread;
};

} // namespace au
