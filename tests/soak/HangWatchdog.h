// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <pthread.h>
#include <sys/types.h>
#include <thread>

namespace soak {

// A timer on the user-interface thread beats every 100 ms; a thread of its own
// aborts the program, after printing that thread's stack, the seed and the
// step, when no beat came for longer than Limit, not counting the time the
// thread waited for a processor. Made and destroyed on the user-interface
// thread.
class THangWatchdog {
public:
    static constexpr auto Limit = std::chrono::seconds(2);

    THangWatchdog(uint64_t Seed, const std::atomic<int>& Step);
    ~THangWatchdog();
    THangWatchdog(const THangWatchdog&) = delete;
    THangWatchdog& operator=(const THangWatchdog&) = delete;

    // The longest time the thread went without a beat so far, waits for a
    // processor left out.
    std::chrono::milliseconds Longest() const { return std::chrono::milliseconds(FLongest.load()); }
    // The step during which it was.
    int LongestStep() const { return FLongestStep; }

private:
    void Watch();

    uint64_t FSeed;
    const std::atomic<int>& FStep;
    pthread_t FUiThread;
    pid_t FUiThreadId;
    QTimer FBeat;
    std::atomic<uint64_t> FBeats{0};
    std::atomic<long long> FLongest{0};
    std::atomic<int> FLongestStep{0};
    std::atomic<bool> FEnd{false};
    std::thread FThread;
};

// The process's resident memory (VmRSS), -1 when unknown.
long ResidentKiB();

} // namespace soak
