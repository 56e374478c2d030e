// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mutex>
#include <utility>

namespace au {

// A value that one thread sets while another reads it (an event handler the UI
// thread installs and a worker calls, a failure text): every access copies it
// under the value's own lock, so a reader never sees it half written. Any thread.
template <typename T> class TLockedValue {
public:
    void Set(T Value)
    {
        std::lock_guard<std::mutex> Guard(FLock);
        FValue = std::move(Value);
    }
    T Get() const
    {
        std::lock_guard<std::mutex> Guard(FLock);
        return FValue;
    }

private:
    mutable std::mutex FLock;
    T FValue{};
};

} // namespace au
