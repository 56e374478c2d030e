// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/tags/AuTaggedFileIn.h"

#include <cstdint>
#include <memory>

namespace au {

class TAPEDecompress;

// Monkey's Audio files, decoded by the Monkey's Audio component (loaded at run
// time) into interleaved little-endian PCM of the file's own depth. The file's
// ID3v1 tag (or its APEv2 tag, as the component maps it) fills APEv2Tags().
class TMACIn final : public TAuTaggedFileIn {
public:
    TMACIn();
    ~TMACIn() override;

    // Any thread, takes the file lock. The component's average bitrate in
    // kilobits per second; 0 when no file is open.
    int Bitrate();
    // Opens the file if needed; whole seconds of the component's length in
    // milliseconds, 0 when it could not be opened.
    int GetDuration() override;

protected:
    // The thread that queries the format or runs Init; takes the file lock.
    // Throws EAuException "MACDll.dll library could not be loaded." and the
    // component's EAPEException; the input then stays closed.
    void OpenFile() override;
    // Takes the file lock.
    void CloseFile() override;
    // Worker thread, under the data lock; throws "The Stream is not opened"
    // before Init. Whole sample frames only, at most one buffer of 8192 bytes at a time.
    void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) override;
    // Worker thread, under the data lock. Moves to sample frame SampleNum (its
    // low 32 bits); what was buffered is dropped, so the next bytes are from there.
    bool DoSeek(int64_t& SampleNum) override;

private:
    static constexpr uint32_t BufferBytes = 8192;

    void ReadTag();
    void Refill();

    std::unique_ptr<TAPEDecompress> FDecompressor;
    // FBufStart..FBufEnd (1-based, inclusive) are still to be handed out.
    uint8_t FBuffer[BufferBytes] = {};
    // The component gave nothing more. The bytes still buffered are handed out
    // before the input reports its end.
    bool FDecoderDone = false;
};

} // namespace au
