// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace au {

// Ordinals are stored and compared by callers; keep them.
enum TOutputStatus : uint8_t { osRunning = 0, osPaused = 1, osIdle = 2 };

enum TFileOutputMode : uint8_t { foRewrite = 0, foAppend = 1 };

} // namespace au
