// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cfenv>
#include <cmath>
#include <cstdint>

namespace au {

// Rounds to the nearest integer, ties to even, whatever rounding mode the caller's
// thread has set: progress, durations and header sizes must not depend on it.
inline int64_t RoundToEven(long double Value)
{
    const int Saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double Rounded = std::nearbyint(Value);
    std::fesetround(Saved);
    return static_cast<int64_t>(Rounded);
}

} // namespace au
