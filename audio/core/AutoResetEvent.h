// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace au {

// An event that wakes one waiter and then resets itself.
class TAutoResetEvent {
public:
    void Signal()
    {
        {
            std::lock_guard<std::mutex> Guard(FMutex);
            FSignalled = true;
        }
        FCondition.notify_one();
    }

    void Reset()
    {
        std::lock_guard<std::mutex> Guard(FMutex);
        FSignalled = false;
    }

    void Wait()
    {
        std::unique_lock<std::mutex> Guard(FMutex);
        FCondition.wait(Guard, [this] { return FSignalled; });
        FSignalled = false;
    }

    // Returns false when the time ran out before a signal.
    bool WaitFor(std::chrono::milliseconds Timeout)
    {
        std::unique_lock<std::mutex> Guard(FMutex);
        if (!FCondition.wait_for(Guard, Timeout, [this] { return FSignalled; }))
            return false;
        FSignalled = false;
        return true;
    }

private:
    std::mutex FMutex;
    std::condition_variable FCondition;
    bool FSignalled = false;
};

} // namespace au
