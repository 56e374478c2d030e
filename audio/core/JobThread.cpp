// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobThread.h"

#include <utility>

namespace au {

TJobThread::TJobThread(std::function<void()> Job) : FJob(std::move(Job)), FThread([this] { Execute(); }) {}

TJobThread::~TJobThread()
{
    {
        std::unique_lock<std::mutex> Guard(FMutex);
        // A run not begun is dropped; one under way is waited for.
        if (!FRunning)
            FPending = false;
        FChanged.wait(Guard, [this] { return !FPending; });
        FQuit = true;
    }
    FChanged.notify_all();
    FThread.join();
}

void TJobThread::Begin()
{
    {
        std::lock_guard<std::mutex> Guard(FMutex);
        std::fegetenv(&FEnvironment);
        FPending = true;
    }
    FChanged.notify_all();
}

bool TJobThread::Withdraw()
{
    std::unique_lock<std::mutex> Guard(FMutex);
    if (FPending && !FRunning) {
        FPending = false;
        return true;
    }
    FChanged.wait(Guard, [this] { return !FPending; });
    return false;
}

void TJobThread::Execute()
{
    std::unique_lock<std::mutex> Guard(FMutex);
    for (;;) {
        FChanged.wait(Guard, [this] { return FPending || FQuit; });
        if (FQuit)
            return;
        std::fesetenv(&FEnvironment);
        FRunning = true;
        Guard.unlock();
        FJob();
        Guard.lock();
        FRunning = false;
        FPending = false;
        FChanged.notify_all();
    }
}

} // namespace au
