// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace app {

// The list files of Import List and Export List: one path a line in UTF-8,
// lines ended by CR LF when written; LF alone reads as well, and carriage
// returns are dropped wherever they stand. Any thread; no state.

// The non-empty lines of Text, in order.
QStringList ParseListFile(const QByteArray& Text);
// What WriteListFile writes for Paths.
QByteArray FormatListFile(const QStringList& Paths);
// The lines of FileName; false (and no lines) when it cannot be read.
bool ReadListFile(const QString& FileName, QStringList& Paths);
// Writes Paths to FileName, replacing it; false with the system's text in
// Error when it cannot be written whole.
bool WriteListFile(const QString& FileName, const QStringList& Paths, QString& Error);

} // namespace app
