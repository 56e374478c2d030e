// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/tags/FileTags.h"

#include <cstdint>
#include <vector>

namespace au {

// The RIFF chunks that carry a file's tags into a WAV file, each of even size:
// a LIST chunk of type INFO with the texts (UTF-8, zero-terminated), which
// RIFF readers know, and an "id3 " chunk with an ID3v2.3 tag of the same
// texts (UTF-16) and the picture, which tag editors and players know.
// Empty when there is nothing to carry.
std::vector<uint8_t> InfoListChunk(const TFileTags& Tags);
std::vector<uint8_t> Id3Chunk(const TFileTags& Tags);

} // namespace au
