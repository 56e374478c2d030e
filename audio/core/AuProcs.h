// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace au {

// Sample-format routines shared by the converters. They work on interleaved
// samples: Count is frames x channels. Integer samples are little-endian, 8-bit
// unsigned (128 = silence), 16/24/32-bit signed; floats run from -1 to 1.
//
// Full scale is asymmetric on the way back: -1.0 gives -32767, -8388607 and
// -2147483647, never the most negative code, so 16-bit data that goes through
// float and back is scaled by 32767/32768.
//
// Any thread; nothing is allocated and nothing is thrown. BytesPerSample must be
// 1, 2, 3 or 4.

// In holds Count samples of BytesPerSample bytes.
void SamplesToFloat(const uint8_t* In, int BytesPerSample, float* Out, size_t Count);

// Values is clamped in place first (16, 24 and 32 bits: every magnitude of 1 or
// more becomes exactly 1.0 or -1.0), then written to Out, Count x BytesPerSample
// bytes. Products are rounded as formed in extended precision (16 and 24 bits
// need only double, where theirs are exact), to nearest with ties to even
// whatever rounding mode the thread has set; the mode is restored.
void FloatToSamples(float* Values, int BytesPerSample, uint8_t* Out, size_t Count);

// Frames frames of InChannels 16-bit samples become frames of OutChannels
// samples of BytesPerSample bytes in Out: byte for byte what SamplesToFloat,
// the channel routines below and FloatToSamples give, without going through
// float. InChannels and OutChannels are equal (any count) or 1 and 2 either way.
void SixteenBitsTo(const uint8_t* In, uint32_t InChannels, int BytesPerSample, uint32_t OutChannels, uint8_t* Out,
                   size_t Frames);

// Values holds Frames mono values and room for Frames stereo frames; each value
// goes to both channels of its frame, in place.
void MonoToStereo(float* Values, size_t Frames);

// Frames stereo frames become Frames mono values (left + right) / 2, in place.
void StereoToMono(float* Values, size_t Frames);

} // namespace au
