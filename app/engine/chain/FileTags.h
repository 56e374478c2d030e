// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuFileIn.h"
#include "audio/tags/FileTags.h"

#include <QString>

namespace app {

// The tags Decoder found when it opened its file, for every kind the same
// handful: title, artist, album, track, year, genre, comment and the cover.
// Where an input holds several tag kinds, ID3v2 comes first, then APEv2,
// then ID3v1. Texts are cleaned (broken text replaced, zero bytes dropped,
// blanks trimmed) and cut to what a WAV file carries. Opens the decoder on
// its file name when it is not open; call on the thread that uses it.
au::TFileTags ReadFileTags(au::TAuFileIn& Decoder);

// What of Tags a WAV file does not carry, for the log ("" when nothing was
// left out): values that were cut, a picture too large.
QString LeftOutNote(const au::TFileTags& Tags);

} // namespace app
