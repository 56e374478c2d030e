// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FileTags.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace au {

// The readers of the cover pictures that the tag objects do not hold. None
// reads outside what it is given or reads from the file, and none throws for
// bad data: a picture that cannot be read is simply not there (false).

// A FLAC PICTURE block's body (also what an Ogg Vorbis comment
// METADATA_BLOCK_PICTURE holds, in base64).
bool ReadFlacPicture(const uint8_t* Block, size_t Size, TTagPicture& Picture);
// A METADATA_BLOCK_PICTURE comment's value.
bool ReadVorbisCommentPicture(std::string_view Base64, TTagPicture& Picture);
// The front cover ("Cover Art (Front)") of the APEv2 tag at the end of the
// file open as Handle (behind it an ID3v1 block may follow). The file
// position is kept.
bool ReadApeCover(int Handle, TTagPicture& Picture);
// The text items (UTF-8) of that tag, by their keys as the file spells them,
// in file order; the position is kept.
std::vector<std::pair<std::string, std::string>> ReadApeTexts(int Handle);

} // namespace au
