// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The Monkey's Audio decoder component, loaded at run time by the Monkey's Audio
// input. Plain C with no codec types, so that the input and the component share
// only this. Nothing here throws or aborts.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct APEDecompress APEDecompress;

// Error codes stored by c_APEDecompress_Create.
enum {
    APE_ERROR_SUCCESS = 0,
    APE_ERROR_IO_READ = 1000,
    APE_ERROR_INVALID_INPUT_FILE = 1002,
    APE_ERROR_UNSUPPORTED_BIT_DEPTH = 1005,
    APE_ERROR_UNSUPPORTED_SAMPLE_RATE = 1006,
    APE_ERROR_UNSUPPORTED_CHANNEL_COUNT = 1007,
    APE_ERROR_UNSUPPORTED_FILE_TYPE = 1013,
    APE_ERROR_INSUFFICIENT_MEMORY = 2000
};

// Information fields of c_APEDecompress_GetInfo.
enum {
    APE_INFO_SAMPLE_RATE = 1003,
    APE_INFO_BITS_PER_SAMPLE = 1004,
    APE_INFO_CHANNELS = 1006,
    // Bytes of decoded PCM; -1 when they do not fit 31 bits.
    APE_INFO_DATA_BYTES = 1014,
    APE_INFO_LENGTH_MS = 2003,
    // Kilobits per second over the whole file.
    APE_INFO_AVERAGE_BITRATE = 2005
};

// Opens the file (UTF-8 name). Null on failure, with *Error set to one of the
// codes above; *Error is 0 on success.
APEDecompress* c_APEDecompress_Create(const char* FileName, int* Error);
// Null is allowed.
void c_APEDecompress_Destroy(APEDecompress* Handle);
// Writes up to Blocks sample frames of interleaved little-endian PCM (8-bit
// unsigned, 16- or 24-bit signed) and stores how many in *Retrieved: 0 at the
// end or after a decoding failure. 0 on success, an error code otherwise.
int c_APEDecompress_GetData(APEDecompress* Handle, char* Buffer, int32_t Blocks, int32_t* Retrieved);
// A field's value; 0 for a field it does not know. The parameters are unused.
int32_t c_APEDecompress_GetInfo(APEDecompress* Handle, int32_t Field, int32_t Parameter1, int32_t Parameter2);
// The next GetData starts at sample frame Block. 0 on success, an error code otherwise.
int c_APEDecompress_Seek(APEDecompress* Handle, int32_t Block);

// The ID3v1 layout (128 bytes, text padded with zero bytes).
typedef struct ID3Tag {
    char Header[3]; // "TAG"
    char Title[30];
    char Artist[30];
    char Album[30];
    char Year[4];
    char Comment[30];
    unsigned char Genre;
} ID3Tag;

// Fills Tag from the file's trailing ID3v1 block, else from its APEv2 tag (text
// as ISO-8859-1, '?' for what it cannot hold; genre 255). 0 when the file has
// either, -1 otherwise.
int GetID3Tag(const char* FileName, ID3Tag* Tag);

#ifdef __cplusplus
}
#endif
