// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/engine/batch/FileListModel.h"

#include <QJsonObject>
#include <QString>
#include <optional>

namespace app {

// What probing one file found: the batch list's row for it, and the same facts
// as values for callers that are not a list (kelvaro-cli info, progress
// estimates).
struct TProbeResult {
    TFileListModel::TRow Row;
    // False when no decoder reads the file, a query failed or the first block of
    // audio did not decode; Error then says why and the row's format cells are
    // empty.
    bool Valid = false;
    QString Error;
    int Duration = 0; // whole seconds
    std::optional<qint64> SizeBytes; // unset for what is not a regular file
    int SampleRate = 0;
    int BitsPerSample = 0;
    int Channels = 0;
    std::optional<int> BitrateKbps;
    // {kind: {property: value}} for the tag objects the decoder filled.
    QJsonObject Tags;
};

// Probes Path with a fresh decoder of its kind, freed before returning: its
// header, then its first block of audio (one read, never the whole file). Never
// throws; a damaged file gives a well-formed row that is not valid: caption,
// size and path filled, every other cell empty, Error the decoder's message (or
// the probe's own when the decoder gave none, or no decoder reads the kind). A
// blank Path gives an empty row, which the list does not add. UI thread or any
// one thread at a time per call (each call has its own decoders).
TProbeResult ProbeFile(const QString& Path);

// "(bytes div 1024) + 0.5" KB with no decimals, halves away from zero, and the
// locale's thousands separator: 1,536,000 bytes read "1,501 KB", 0 bytes "1 KB".
// Sizes are grouped in every locale, the C locale too (with ","), so a list
// reads the same in a script as on the desktop.
QString FormatSizeKB(qint64 Bytes);

// The decimal digits of Text read left to right as one number, every other
// character skipped ("1,501 KB" gives 1501; no digits give 0). Decimal digits
// of any script count, as some locales write sizes with them; a number too
// large for 64 bits reads as the largest.
qint64 DigitsValue(const QString& Text);

} // namespace app
