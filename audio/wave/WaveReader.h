// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuStream.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace au {

// What a WAV file (RIFF or RF64) says of itself. Only chunk heads and the
// small chunks are read, never the audio, so a file of any length is
// described at once.
struct TWaveFacts {
    bool Rf64 = false;
    uint16_t FormatTag = 0; // of an extensible format, its sub-format's
    uint16_t Channels = 0;
    uint32_t SampleRate = 0;
    uint32_t BytesPerSecond = 0;
    uint16_t BlockAlign = 0;
    uint16_t BitsPerSample = 0;
    // What the file holds of the data its header states: a cut file has less.
    int64_t DataBytes = 0;
    int64_t Frames = 0;
    // The items of a LIST INFO chunk in file order: identifier and text, the
    // text without its terminating zeros, as the file has it.
    std::vector<std::pair<std::string, std::string>> Info;
};

// Reads Stream as a WAV file. Throws EAuException for what is not one, or lacks
// the format or data chunk. A format of no channels, rate or block size is
// returned as it stands, with no frames.
TWaveFacts ReadWaveFacts(TAuStream& Stream);

} // namespace au
