// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramFolder.h"

#include <filesystem>
#include <system_error>

namespace au {

std::string ProgramFolder()
{
    std::error_code Error;
    const std::filesystem::path Program = std::filesystem::read_symlink("/proc/self/exe", Error);
    if (Error)
        return {};
    return Program.parent_path().string();
}

} // namespace au
