// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/chain/FileConversion.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace app {

// The lines a batch run logs for one file, each starting with the current time
// as "[HH:mm:ss]".

// "Load: " + Input + " [Success]", written when the file's conversion starts.
QString LoadLine(const QString& Input);
// "Convert to: " + OutputName + " [Success]" (followed by Message, on the same
// line, when a converted file's tags lost something); " [Skipped]" or
// " [Failed]" (a stopped file too) followed by Message as a line of its own.
QStringList ResultLines(const QString& OutputName, TConversionResult Result, const QString& Message);

// The WAV files one run has written, so that a later file of the run that
// replaces an earlier one's output (song.mp3 and song.flac into song.wav) says
// which input the file holds.
class TOutputLedger {
public:
    // Input's conversion wrote Output: the line to log when it replaced the
    // output of another input of the run, else an empty text.
    QString Record(const QString& Input, const QString& Output);
    void Clear() { FWriters.clear(); }

private:
    QHash<QString, QString> FWriters; // output path as the file system sees it -> input
};

} // namespace app
