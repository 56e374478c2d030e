// SPDX-License-Identifier: GPL-3.0-or-later
#include "HangWatchdog.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <execinfo.h>
#include <fstream>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace soak {
namespace {

using Clock = std::chrono::steady_clock;

// The user-interface thread's stack, written from inside that thread when the
// watchdog signals it.
void PrintStack(int)
{
    void* Frames[64];
    const int Count = backtrace(Frames, 64);
    static const char Head[] = "--- user-interface thread ---\n";
    (void)!write(STDERR_FILENO, Head, sizeof Head - 1);
    backtrace_symbols_fd(Frames, Count, STDERR_FILENO);
}

// How long Thread has waited for a processor while ready to run, in ms, from
// the scheduler's statistics (0 where the kernel keeps none). On a loaded
// machine, and under nice, the thread may wait seconds for its turn without
// any fault of ours; that time is not a hang.
long long RunQueueMs(pid_t Thread)
{
    std::ifstream Stats("/proc/self/task/" + std::to_string(Thread) + "/schedstat");
    long long Running = 0, Waiting = 0;
    if (!(Stats >> Running >> Waiting))
        return 0;
    return Waiting / 1000000;
}

} // namespace

THangWatchdog::THangWatchdog(uint64_t Seed, const std::atomic<int>& Step)
    : FSeed(Seed), FStep(Step), FUiThread(pthread_self()), FUiThreadId(static_cast<pid_t>(syscall(SYS_gettid)))
{
    void* Warm[1];
    backtrace(Warm, 1); // loads the unwinder now, not inside the signal handler
    std::signal(SIGUSR2, PrintStack);
    QObject::connect(&FBeat, &QTimer::timeout, [this] { ++FBeats; });
    FBeat.start(100);
    FThread = std::thread([this] { Watch(); });
}

THangWatchdog::~THangWatchdog()
{
    FEnd = true;
    FThread.join();
}

void THangWatchdog::Watch()
{
    uint64_t Seen = FBeats;
    auto Since = Clock::now();
    long long QueuedSince = RunQueueMs(FUiThreadId);
    while (!FEnd) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const auto Now = Clock::now();
        const long long Queued = RunQueueMs(FUiThreadId);
        if (FBeats != Seen) {
            Seen = FBeats;
            Since = Now;
            QueuedSince = Queued;
            continue;
        }
        const long long Wall = std::chrono::duration_cast<std::chrono::milliseconds>(Now - Since).count();
        const long long Silent = Wall - (Queued - QueuedSince);
        if (Silent > FLongest) {
            FLongest = Silent;
            FLongestStep = FStep.load();
        }
        if (Silent > std::chrono::duration_cast<std::chrono::milliseconds>(Limit).count()) {
            std::fprintf(stderr,
                         "HANG: the user-interface thread did not answer for %lld ms (%lld ms more waiting for a "
                         "processor) at step %d (seed %llu)\n",
                         Silent, Wall - Silent, FStep.load(), static_cast<unsigned long long>(FSeed));
            pthread_kill(FUiThread, SIGUSR2);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            std::abort();
        }
    }
}

long ResidentKiB()
{
    std::ifstream Status("/proc/self/status");
    std::string Line;
    while (std::getline(Status, Line))
        if (Line.rfind("VmRSS:", 0) == 0)
            return std::stol(Line.substr(6));
    return -1;
}

} // namespace soak
