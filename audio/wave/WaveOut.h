// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ImaAdpcm.h"
#include "audio/core/AuFileOut.h"
#include "audio/tags/FileTags.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace au {

class TAuInput;

enum TWavType : uint8_t {
    wtUnsupported = 0,
    wtPCM = 1,
    wtDVIADPCM = 2,
    wtMSADPCM = 3,
    wtACM = 4,
    wtIEEEFloat = 5,
    wtExtPCM = 6,
    wtExtIEEEFloat = 7,
};

// The RIFF WAVE sink: classic PCM (44-byte header), extensible PCM (68 bytes) or
// DVI/IMA ADPCM with a fact chunk (60 bytes); it creates a file or appends to one
// of the same format. Headers always end up stating what the file holds: they
// are patched when the size was not known, the run was stopped or failed, or
// fewer or more bytes came than announced. A failed pull or write ends the run as
// a failure, and a file never grows past what its 32-bit sizes can describe,
// except a PCM file whose source states a length beyond them: that one is
// written as RF64 (64-bit sizes in a "ds64" chunk) from the start.
// Tags, when given, go into a LIST INFO chunk ahead of the data and an "id3 "
// chunk behind it; appending keeps the chunks that follow a file's data behind
// the data.
// With WriteViaPartFile, a run ends either with the complete file under its
// name and no exception message, or with no new file and a message (a stopped
// run included).
class TWaveOut final : public TAuFileOut {
public:
    TWaveOut();
    ~TWaveOut() override;

    // UI thread. Only wtPCM and wtDVIADPCM are taken, and only while idle.
    void SetWavType(TWavType Value);
    TWavType WavType() const { return FWavType; }
    // UI thread. ADPCM block bytes: non-zero multiples of 4, only while idle.
    void SetBlockSize(uint16_t Value);
    uint16_t BlockSize() const { return FBlockSize; }
    // When true the classic header is written even for more than 2 channels or
    // more than 16 bits; when false those get the extensible header.
    void SetCreateNonMsHeaders(bool Value) { FCreateNonMsHeaders = Value; }
    bool CreateNonMsHeaders() const { return FCreateNonMsHeaders; }
    void SetFileMode(TFileOutputMode Mode) override;
    // UI thread, while idle: the tags the next files get; empty tags write
    // the file without any.
    void SetTags(TFileTags Tags);

    // The largest file written with 32-bit sizes; tests lower it to reach the
    // switch to RF64 without writing gigabytes. 0 restores the format's own.
    static void SetClassicLimitForTesting(int64_t Bytes);

    // A source that ends earlier than the length it announced fails the run
    // when the missing part exceeds both of these (seconds, share of the
    // announced length); a smaller shortfall is padded with silence. Chosen
    // from real files: encoders' own files fall short by at most 0.05 s.
    static constexpr double CutShortSeconds = 0.5;
    static constexpr double CutShortShare = 0.10;

protected:
    void Prepare() override;
    bool ProcessChunk(bool Abort) override;
    void Finish() override;

private:
    enum TFoundKind : uint8_t { fkNone = 0, fkPCM = 1, fkADPCM = 2 };

    [[noreturn]] void Abandon(const char* Message);
    bool ScanHeader();
    void PutPcmFormat(uint8_t* Header, uint32_t FmtSize, uint16_t Tag);
    void WritePcmHeader(bool Extensible);
    void WriteAdpcmHeader();
    void WriteHeader(std::vector<uint8_t>& Header, int64_t DataSize);
    bool ChooseRf64(int64_t HeaderBytes) const;
    int64_t ClassicRoom() const;
    void StartAppend(int64_t DataStart);
    void TakeTrailer(int64_t DataStart);
    void WriteData(const uint8_t* Data, uint32_t Bytes, uint32_t Align);
    void WritePending();
    bool ProcessPcmChunk();
    bool ProcessAdpcmChunk();
    void PatchHeader(bool SizesOnly, int64_t DataEnd);
    void PatchAt(int64_t Offset, uint32_t Value);
    void PatchAt64(int64_t Offset, uint64_t Value);
    int64_t AttachTrailer();
    void CompleteFile();
    static std::string CutShortMessage(TAuInput& Source);

    std::atomic<TWavType> FWavType{wtPCM};
    std::atomic<uint16_t> FBlockSize{512};
    std::atomic<bool> FCreateNonMsHeaders{true};
    TFileTags FTags;

    bool FEndReached = false;
    TImaChannelState FAdpcm[2];

    // What the header scan of a file opened for appending found.
    uint32_t FFoundSampleRate = 0;
    uint16_t FFoundChannels = 0;
    uint16_t FFoundBitsPerSample = 0;
    uint32_t FFoundFact = 0;
    int64_t FFactPosition = 0;
    int64_t FFoundDataSize = 0;
    bool FFoundRf64 = false;
    int64_t FDs64Position = 0; // of the 64-bit RIFF size in the ds64 chunk
    int64_t FDataSizePosition = 0;
    TFoundKind FFoundKind = fkNone;
    int64_t FFirstDataPosition = 0;
    uint16_t FFoundBlockAlign = 0;

    // Per run.
    bool FHeaderReady = false;   // a header is in place, written or found
    bool FAppended = false;      // data goes after an existing data chunk
    bool FFailed = false;        // a pull or a write raised
    int64_t FDataStart = 0;      // stream offset of the first data byte
    int64_t FStreamPos = 0;      // where the next byte goes
    int64_t FMaxStreamSize = 0;  // the largest file the size fields can describe
    int64_t FStatedDataSize = 0;
    bool FRf64 = false;          // sizes live in the ds64 chunk
    std::vector<uint8_t> FInfoChunk;
    // The chunks that go behind the data: our id3 chunk, or what followed the
    // data of a file appended to.
    std::vector<uint8_t> FTrailer;
    uint32_t FFrameBytes = 1;
    std::vector<uint8_t> FPending; // data not yet in the file: written in large pieces
    std::vector<uint8_t> FAdpcmIn;
    std::vector<uint8_t> FAdpcmOut;
    std::vector<int16_t> FAdpcmFrames;
};

} // namespace au
