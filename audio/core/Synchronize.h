// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace au {

// The audio library's only way onto the user-interface thread.
//
// Synchronize(Fn), from any thread, waits until the user-interface thread has run
// Fn through CheckSynchronize(); called on the user-interface thread itself it
// runs Fn at once. An exception thrown by Fn is rethrown to the caller of
// Synchronize. The user-interface thread is the thread that started the program
// unless SetMainThread() names another one.

void Synchronize(const std::function<void()>& Fn);

// User-interface thread. Runs every pending call; with a time-out, first waits up
// to that long for one to arrive. Returns whether anything ran.
bool CheckSynchronize(std::chrono::milliseconds Timeout = std::chrono::milliseconds(0));

// Called (on the posting thread) whenever a call is queued, so that an event loop
// can schedule CheckSynchronize. Pass an empty function to remove it.
void SetSynchronizeWakeup(std::function<void()> Wakeup);

// Names the calling thread as the user-interface thread.
void SetMainThread();
bool IsMainThread();

} // namespace au
