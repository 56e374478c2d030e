// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CliOptions.h"

namespace cli {

// Probes each file as the batch list does and prints its cells, in the order
// given: a block a person reads, or one JSON object per line and file. Returns
// the exit status: 0 when every file could be read, 1 otherwise.
int RunInfo(const TInfoOptions& Options);

} // namespace cli
