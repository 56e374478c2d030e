// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdio>

namespace cli {

// Line plus a line break, flushed at once so that a reader sees each line as it
// is written.
void PrintLine(FILE* To, const QString& Line);
// "kelvaro-cli: " + Text on standard error.
void Complain(const QString& Text);

} // namespace cli
