// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

namespace app {

// Whether some process has a file open for writing, which is how a copy still
// in progress shows itself. Any thread; never throws.

// Asks the kernel through a read lease, taken and dropped at once. Empty when
// the system gives no answer this way (file system or permissions without
// leases, or a file that cannot be opened for reading).
std::optional<bool> HasWriterByLease(const QString& FileName);

// Looks through every descriptor of every process in /proc that we may read.
bool HasWriterInProc(const QString& FileName);

// The lease where the system allows it, else the look through /proc.
bool HasWriter(const QString& FileName);

} // namespace app
