// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace app {

// The lines a batch run logs for one file, each starting with the current time
// as "[HH:mm:ss]".

// "Load: " + Input + " [Success]", written when the file's conversion starts.
QString LoadLine(const QString& Input);
// "Convert to: " + the output's file name + " [Success]"; or " [Failed]"
// followed by Error as a line of its own when Error is not empty.
QStringList ResultLines(const QString& Output, const QString& Error);

} // namespace app
