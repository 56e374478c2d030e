// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/batch/FileListModel.h"

#include <QJsonObject>
#include <QString>
#include <optional>

namespace app {

// What probing one file found: the batch list's row for it, whose format
// values callers that are not a list use as well (kelvaro-cli info, progress
// estimates), and the file's tags.
struct TProbeResult {
    TFileListModel::TRow Row;
    // The file's size in bytes; unset for what is not a regular file, which the
    // row sizes as 0 bytes.
    std::optional<qint64> SizeBytes;
    // The exact length in seconds, to the millisecond (the row's Duration is
    // whole seconds); 0 for a row that is not valid.
    double Seconds = 0;
    // {kind: {property: value}} for the tag objects the decoder filled.
    QJsonObject Tags;
};

// Probes Path with a fresh decoder of its kind, freed before returning: its
// header, then its first block of audio (one read, never the whole file). Never
// throws; a damaged file gives a well-formed row that is not valid: path and
// size filled, every format value 0, ProbeError the decoder's message (or the
// probe's own when the decoder gave none, or no decoder reads the kind). A
// blank Path gives a row with no path and no size. UI thread or any
// one thread at a time per call (each call has its own decoders).
TProbeResult ProbeFile(const QString& Path);

// ProbeFile for the kinds the program converts; a WAV file (classic or RF64)
// described from its chunks, its LIST INFO texts as the tag kind "info" keyed
// by their identifiers ("INAM", "IART", ...). What kelvaro-cli info reads.
TProbeResult DescribeFile(const QString& Path);

// "(bytes div 1024) + 0.5" KB with no decimals, halves away from zero, and the
// locale's thousands separator: 1,536,000 bytes read "1,501 KB", 0 bytes "1 KB".
// Sizes are grouped in every locale, the C locale too (with ","), so a list
// reads the same in a script as on the desktop.
QString FormatSizeKB(qint64 Bytes);

} // namespace app
