// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace cli {

// Plays File to the default sound device in its own format and returns the exit
// status. On a terminal: space pauses and resumes, the left and right arrows
// seek by 10 percent, q stops.
int RunPlay(const QString& File);

} // namespace cli
