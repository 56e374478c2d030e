// SPDX-License-Identifier: GPL-3.0-or-later
#include "Synchronize.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

namespace au {
namespace {

struct TSyncRequest {
    const std::function<void()>* Fn = nullptr;
    std::exception_ptr Error;
    bool Done = false;
};

struct TSyncQueue {
    std::mutex Mutex;
    std::condition_variable Arrived; // a request was queued
    std::condition_variable Finished; // a request was run
    std::deque<TSyncRequest*> Pending;
    std::function<void()> Wakeup;
    std::thread::id MainThread = std::this_thread::get_id();
};

TSyncQueue& Queue()
{
    static TSyncQueue Instance;
    return Instance;
}

// Static initialisation runs on the thread that starts the program.
[[maybe_unused]] const bool MainThreadRecorded = (Queue(), true);

} // namespace

void SetMainThread()
{
    std::lock_guard<std::mutex> Guard(Queue().Mutex);
    Queue().MainThread = std::this_thread::get_id();
}

bool IsMainThread()
{
    std::lock_guard<std::mutex> Guard(Queue().Mutex);
    return Queue().MainThread == std::this_thread::get_id();
}

void SetSynchronizeWakeup(std::function<void()> Wakeup)
{
    std::lock_guard<std::mutex> Guard(Queue().Mutex);
    Queue().Wakeup = std::move(Wakeup);
}

void Synchronize(const std::function<void()>& Fn)
{
    if (IsMainThread()) {
        Fn();
        return;
    }
    TSyncQueue& Q = Queue();
    TSyncRequest Request;
    Request.Fn = &Fn;
    std::function<void()> Wakeup;
    {
        std::lock_guard<std::mutex> Guard(Q.Mutex);
        Q.Pending.push_back(&Request);
        Wakeup = Q.Wakeup;
    }
    Q.Arrived.notify_all();
    if (Wakeup)
        Wakeup();
    std::unique_lock<std::mutex> Guard(Q.Mutex);
    Q.Finished.wait(Guard, [&Request] { return Request.Done; });
    if (Request.Error)
        std::rethrow_exception(Request.Error);
}

bool CheckSynchronize(std::chrono::milliseconds Timeout)
{
    TSyncQueue& Q = Queue();
    std::unique_lock<std::mutex> Guard(Q.Mutex);
    if (Timeout.count() > 0)
        Q.Arrived.wait_for(Guard, Timeout, [&Q] { return !Q.Pending.empty(); });
    bool Ran = false;
    while (!Q.Pending.empty()) {
        TSyncRequest* Request = Q.Pending.front();
        Q.Pending.pop_front();
        Guard.unlock();
        try {
            (*Request->Fn)();
        } catch (...) {
            Request->Error = std::current_exception();
        }
        Guard.lock();
        Request->Done = true;
        Ran = true;
        Q.Finished.notify_all();
    }
    return Ran;
}

} // namespace au
