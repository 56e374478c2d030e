// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mutex>

namespace au {

// The process-wide lock under which codec libraries are loaded and bound.
inline std::recursive_mutex& LibraryLock()
{
    static std::recursive_mutex Lock;
    return Lock;
}

} // namespace au
