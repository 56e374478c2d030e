// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/tags/AuTaggedFileIn.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace au {

class TTTADecoder;

// TrueAudio files, decoded by the TrueAudio component (loaded at run time) into
// interleaved little-endian PCM of the stream's own depth (8-bit unsigned, 16-
// or 24-bit signed). The input opens the file itself, reads its ID3v1 and ID3v2
// tags and hands the decoder the descriptor positioned behind the ID3v2 tag. A
// supplied stream is copied to a temporary file first. It cannot seek: Loop
// restarts it by closing and opening it again.
class TTTAIn final : public TAuTaggedFileIn {
public:
    TTTAIn();
    ~TTTAIn() override;

protected:
    // The thread that queries the format or runs Init; takes the file lock.
    // Throws EAuException ("TTALib.dll library could not be loaded.", "File name
    // is not defined!", "Unable to open file for input!", "Unable to create
    // temporary file!", "Unable to map temporary file to memory!", "Broken or
    // unsupported Id3v2 tags was found!") or the decoder's ETTAException; the
    // file is closed again after any of them.
    void OpenFile() override;
    // Takes the file lock; the last close releases descriptor and decoder.
    void CloseFile() override;
    // Worker thread, under the data lock. Throws "File for input is not opened!"
    // before Init and the decoder's ETTAException. Hands out exactly the bytes asked for (up to the end), whole frames or not:
    // the rest of a decoded block waits for the next call.
    void DoGetData(uint8_t*& Buffer, uint32_t& Bytes) override;
    bool DoSeek(int64_t& SampleNum) override;

private:
    int OpenOwnFile();
    int CopyStreamToTemporaryFile();
    void ReadTags(int Handle);
    void AppendBlock(const int32_t* Block, int32_t Length);

    int FHandle = -1;
    std::unique_ptr<TTTADecoder> FDecoder;
    std::vector<uint8_t> FOutput;
    std::vector<uint8_t> FLeftover;
};

} // namespace au
