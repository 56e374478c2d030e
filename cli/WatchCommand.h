// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace cli {

// "kelvaro-cli watch --in DIR --out DIR --log DIR [--subdirs]": the hot
// directory until SIGINT or SIGTERM. Returns the exit status.
int RunWatch(const QStringList& Arguments);

} // namespace cli
