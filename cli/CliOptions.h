// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/chain/FileConversion.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace cli {

// What "kelvaro-cli convert" was asked to do; unset options take the settings' values.
struct TConvertOptions {
    QString OutputFolder;
    std::optional<QString> Rate;
    std::optional<QString> Bits;
    std::optional<int> Channels; // 0 keep, 1 mono, 2 stereo
    std::optional<int> Encoding; // 0 PCM, 1 ADPCM
    app::TIfExists IfExists = app::ieOverwrite;
    int Jobs = 0;                 // files converted at once; 0: one per online processor
    bool KeepTime = false;        // WAV files take their inputs' modification times
    bool CopyTags = false;        // the WAV files carry the sources' tags
    bool Recursive = false;       // folders give the files of their sub-folders too
    bool Quiet = false;           // no log, only the failures on standard error
    bool Json = false;            // results as JSON lines on standard output, the log on standard error
    bool ProgressJson = false;    // the progress line as JSON lines on standard error
    QStringList Inputs;
};

// Parses the arguments after "convert". On bad usage returns false and sets
// Error to a one-line reason.
bool ParseConvertOptions(const QStringList& Arguments, TConvertOptions& Options, QString& Error);

// What "kelvaro-cli info" was asked to do.
struct TInfoOptions {
    bool Json = false;
    QStringList Files;
};

// Parses the arguments after "info". On bad usage (an unknown option, no file)
// returns false and sets Error to a one-line reason.
bool ParseInfoOptions(const QStringList& Arguments, TInfoOptions& Options, QString& Error);

QString UsageText();

} // namespace cli
