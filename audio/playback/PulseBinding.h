// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace au {

struct TPulseBinding;

// The sound-server client library, opened on first use under LibraryLock().
// Returns nullptr when it (or one of its entry points) is missing; the next call
// tries again. Once bound, it stays loaded. Any thread.
const TPulseBinding* PulseLibrary();

// The file opened by PulseLibrary(), "libpulse.so.0" unless changed. Changing it
// drops the current binding so that the next call opens the new name; tests use
// it, with no device open, to make the library missing.
void SetPulseLibraryName(const std::string& FileName);
std::string PulseLibraryName();
// The version the bound library reports, "16.1"; empty when it is missing.
std::string PulseLibraryVersion();

} // namespace au
