// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/core/AuFileIn.h"
#include "audio/tags/FileTags.h"
#include "audio/tags/VorbisTags.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace au {

// FLAC files, decoded by libFLAC (loaded at run time) into interleaved
// little-endian PCM of the stream's own depth: 8-bit unsigned, 16/24/32-bit
// signed. The Vorbis comment block fills Tags().
class TFLACIn final : public TAuFileIn {
public:
    TFLACIn();
    ~TFLACIn() override;

    // Applies to the next open; a seek turns it off.
    void SetCheckMD5Signature(bool Value) { FCheckMD5Signature = Value; }
    bool CheckMD5Signature() const { return FCheckMD5Signature; }
    // What the decoder said when the file was last closed: false only when
    // checking was on and the decoded audio did not match the stored signature.
    bool MD5Result() const { return FMD5Result; }

    TVorbisTags& Tags() { return FTags; }
    // The cover the file carries, if any; set with the tags.
    TTagPicture& Picture() { return FPicture; }

protected:
    // Throws "libFLAC.dll library could not be loaded." and the decoder's set-up texts.
    void OpenFile() override;
    void CloseFile() override;
    void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) override;
    bool DoSeek(int64_t& SampleNum) override;

private:
    struct TCallbacks;
    friend struct TCallbacks;

    // Gives the decoder back to libFLAC, on every path that lets it go.
    struct TDecoderDelete {
        void operator()(void* Decoder) const;
    };

    void Refill();
    void DecodeFrame();

    TVorbisTags FTags;
    TTagPicture FPicture;
    std::unique_ptr<void, TDecoderDelete> FDecoder; // FLAC__StreamDecoder
    bool FMetadataDone = false;
    // Frames still to skip at the start of the data after a seek.
    int64_t FSeekOffset = 0;
    std::vector<uint8_t> FBuffer;
    bool FHaveFrame = false;   // a frame was decoded since the open
    bool FFrameWritten = false; // the last decoder call produced a frame
    uint32_t FLastBlockSize = 0;
    uint32_t FBytesInBuffer = 0;
    std::atomic<bool> FCheckMD5Signature{false};
    bool FMD5Result = true;
};

} // namespace au
