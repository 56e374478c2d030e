// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace au {

// The folder of the running executable, without a trailing separator; empty
// when the system does not say.
std::string ProgramFolder();

} // namespace au
