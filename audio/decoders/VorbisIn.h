// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuFileIn.h"
#include "audio/tags/FileTags.h"
#include "audio/tags/VorbisTags.h"

#include <cstdint>
#include <memory>

namespace au {

// Ogg Vorbis files, decoded by libvorbisfile (loaded at run time together with
// libogg, libvorbis and libvorbisenc, all of which must be present) into 16-bit
// little-endian signed PCM. The comment header fills Tags().
class TVorbisIn final : public TAuFileIn {
public:
    TVorbisIn();
    ~TVorbisIn() override;

    // UI thread. Opens the file if needed; the nominal bitrate in bits per second.
    int Bitrate();
    TVorbisTags& Tags() { return FTags; }
    // The cover the file carries, if any; set with the tags.
    TTagPicture& Picture() { return FPicture; }

protected:
    void OpenFile() override;
    void CloseFile() override;
    void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) override;
    bool DoSeek(int64_t& SampleNum) override;

private:
    struct TCallbacks;
    friend struct TCallbacks;
    struct TDecoderState; // OggVorbis_File, kept out of this header

    static constexpr uint32_t BufferBytes = 12288;

    void FillBuffer();

    TVorbisTags FTags;
    TTagPicture FPicture;
    std::unique_ptr<TDecoderState> FDecoder;
    uint8_t FBuffer[BufferBytes] = {};
    int FCurrentSection = -1;
    // The decoder has nothing more (its end, a hole, or the stated size reached).
    // The bytes still buffered are handed out before the input reports its end.
    bool FDecoderDone = false;
    // The library could not make the decoder ready (OV_EBADLINK from a read or
    // a seek). libvorbis 1.3.7 keeps the half-built codebooks of that attempt,
    // and the next one (any later read or seek) decodes with them and divides
    // by zero: the file gives no more data and refuses to seek.
    bool FDecoderUnusable = false;
    long FUpperBitrate = 0;
    long FNominalBitrate = 0;
    long FLowerBitrate = 0;
};

} // namespace au
