// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace au {

// DVI/IMA ADPCM block encoder for mono and stereo 16-bit PCM.

struct TImaChannelState {
    int16_t Predictor = 0;
    uint8_t StepIndex = 0; // 0..88
};

// Frames in one block of BlockSize bytes, as the format's 16-bit header field
// holds it (1017 for mono and 505 for stereo at 512).
uint16_t ImaSamplesPerBlock(uint16_t BlockSize, int Channels);

// Whether blocks of BlockSize bytes can hold Channels (1 or 2) channels: every
// code must land inside the block and the frame count must fit its 16-bit field.
bool ImaBlockSizeSuits(uint16_t BlockSize, int Channels);

// Quantises one sample against the channel's predictor and step index and
// advances both; returns the 4-bit code.
uint8_t ImaEncodeSample(int Sample, TImaChannelState& State);

// Encodes ImaSamplesPerBlock frames of interleaved samples into one block of
// BlockSize bytes. Each channel's predictor starts from its first sample; the
// step indexes carry over in States. BlockSize must suit Channels.
void ImaEncodeBlock(const int16_t* Frames, int Channels, uint16_t BlockSize,
                    TImaChannelState* States, uint8_t* Block);

} // namespace au
