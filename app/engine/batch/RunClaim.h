// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace app {

// Which of the window's two ways of converting, the batch list's run or the
// hot directory, converts now: one at a time, so that the two never compete
// for the processors and the user knows which one writes. Whoever claims it
// first keeps it until it releases it. User-interface thread only.
class TRunClaim {
public:
    // Claims it for User (any tag that names it); false when another user
    // holds it. Claiming it again as its holder succeeds.
    bool Claim(const void* User)
    {
        if (ClaimedByOther(User))
            return false;
        FHolder = User;
        return true;
    }
    // Lets it go when User holds it.
    void Release(const void* User)
    {
        if (FHolder == User)
            FHolder = nullptr;
    }
    bool ClaimedByOther(const void* User) const { return FHolder != nullptr && FHolder != User; }

private:
    const void* FHolder = nullptr;
};

} // namespace app
