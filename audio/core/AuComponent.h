// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>

namespace au {

// Base of every pipeline component.
//
// A component that is freed while another one still uses it must first let its
// users let go of it (a running sink must stop before its source disappears).
// That work needs the whole object, so it cannot wait for the base destructor:
// every concrete component calls Destroying() first thing in its own destructor.
// The base destructors call it again as a fallback; only the first call acts.
class TAuComponent {
public:
    TAuComponent() = default;
    TAuComponent(const TAuComponent&) = delete;
    TAuComponent& operator=(const TAuComponent&) = delete;
    virtual ~TAuComponent() = default;

    // UI thread. Detaches the component from the chain it is part of.
    void Destroying()
    {
        if (!FDestroying.exchange(true))
            DoDestroying();
    }

protected:
    virtual void DoDestroying() {}

private:
    std::atomic<bool> FDestroying{false};
};

class TAuInput;

// Implemented by components that hold another one as their Input, so that the
// input can tell them when it goes away.
class TAuInputUser {
public:
    // Called on the thread that frees Input, before any of it is destroyed.
    virtual void InputRemoved(TAuInput* Input) = 0;

protected:
    ~TAuInputUser() = default;
};

} // namespace au
