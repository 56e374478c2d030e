// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The TrueAudio decoder component, loaded at run time by the TTA input. Plain C
// with no codec types, so that the input and the component share only this.
// Nothing here throws or aborts: every failure is an answer with a text.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TTADecoder TTADecoder;

// Why a call failed; written only when the call reports failure.
typedef struct TTAError {
    char Text[256];
} TTAError;

// Reads a TrueAudio stream from the descriptor's current position on (what lies
// before it, such as a tag, is never looked at). The descriptor stays the
// caller's and must outlive the decoder. Null on failure.
TTADecoder* TTADecoder_Create(int Handle, TTAError* Error);
// Releases the decoder; never fails. Null is allowed.
void TTADecoder_Destroy(TTADecoder* Decoder);

// The stream's format from its header. 0 on success, -1 on failure.
int TTADecoder_GetNumChannels(TTADecoder* Decoder, int32_t* Value, TTAError* Error);
int TTADecoder_GetBitsPerSample(TTADecoder* Decoder, int32_t* Value, TTAError* Error);
int TTADecoder_GetSampleRate(TTADecoder* Decoder, int32_t* Value, TTAError* Error);
// Samples per channel as the header states them, as a signed 32-bit value
// (a header beyond 2^31 - 1 samples gives a negative one).
int TTADecoder_GetDataLength(TTADecoder* Decoder, int32_t* Value, TTAError* Error);

// Decodes the next block: *Block then holds Channels x *Length samples,
// interleaved, one per 32-bit slot at the stream's own scale (8-bit samples
// signed, -128..127), valid until the next call on this decoder. *Length is 0
// at the end. 0 on success, -1 on failure.
int TTADecoder_GetBlock(TTADecoder* Decoder, int32_t** Block, int32_t* Length, TTAError* Error);

#ifdef __cplusplus
}
#endif
