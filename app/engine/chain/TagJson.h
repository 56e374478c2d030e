// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuFileIn.h"

#include <QJsonObject>

namespace app {

// The tag objects Decoder filled when it opened its file, as {kind: {property:
// value}}: kinds "id3v1", "id3v2" and "apev2" for the inputs that own those,
// "vorbis" for FLAC and Ogg Vorbis; properties by their published names
// ("Title", "Track", "AlbumGain", ...). Only values that are there: no empty
// text, no ID3v1 year or track 0, no kind without a value. Integer properties
// are numbers, everything else text. Call after the decoder opened the file,
// on the thread that opened it.
QJsonObject TagsJson(au::TAuFileIn& Decoder);

} // namespace app
