// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CliOptions.h"

namespace cli {

// Runs a batch conversion on the engine of the window and returns the exit status.
int RunConvert(const TConvertOptions& Options);

} // namespace cli
