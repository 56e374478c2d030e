// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveOut.h"

#include "audio/core/AuException.h"
#include "audio/core/AuFileStream.h"
#include "audio/core/AuInput.h"
#include "audio/core/ByteOrder.h"
#include "audio/core/Rounding.h"
#include "WaveTagChunks.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>

namespace au {
namespace {

constexpr const char* MsgNoFileName = "File name is not assigned.";
constexpr const char* MsgCannotAppend = "Cannot append data to this .wav file.";
constexpr const char* MsgOtherFormat = "Cannot append data in different audio format.";
constexpr const char* MsgAdpcmDepth = "Cannot encode 8 bit sound into ADPCM.";
constexpr const char* MsgAdpcmChannels = "ADPCM encoding supports mono and stereo only.";
constexpr const char* MsgAdpcmBlockSize = "The ADPCM block size does not suit this channel count.";
constexpr const char* MsgNoFormat = "The input reports no usable audio format.";
constexpr const char* MsgSizeLimit = "The WAV file has reached the 4 GiB limit of its format.";
constexpr const char* MsgStoppedUnwritten = "Stopped before the end; the file was not written.";

constexpr uint32_t PcmChunkBytes = 16384;
// Decoders hand over a few KB at a time; a system call for each cost as much
// processor time as a tenth of a WMA decode.
constexpr size_t PendingBytes = 131072;
constexpr int64_t ScanLimit = 8192;
// The head of an ADPCM file up to its data chunk: RIFF, fmt and fact.
constexpr uint32_t AdpcmHeadSize = 52;
// RIFF size (file size - 8) and data size are both 32-bit fields.
constexpr int64_t MaxRiffFile = int64_t{0xFFFFFFFF} + 8;
constexpr int64_t MaxChunkData = int64_t{0xFFFFFFFF};
// RF64 states its sizes here and 0xFFFFFFFF where RIFF has them.
constexpr uint32_t Ds64ChunkSize = 36;
constexpr int64_t Ds64RiffSizeAt = 20;
// Chunks behind the data of a file appended to are carried along in memory:
// more than our own id3 chunk can hold is not a file we wrote.
constexpr int64_t MaxTrailer = int64_t{32} << 20;

std::atomic<int64_t> ClassicLimit{MaxRiffFile};

constexpr uint8_t PcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                      0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

void PutId(uint8_t* At, const char* Id) { std::memcpy(At, Id, 4); }

// Chunk identifiers match when every byte is equal or differs by exactly 32.
bool SameId(const uint8_t* At, const char* Id)
{
    for (int I = 0; I < 4; ++I) {
        const int Diff = At[I] - static_cast<uint8_t>(Id[I]);
        if (Diff != 0 && Diff != 32 && Diff != -32)
            return false;
    }
    return true;
}

uint32_t Low32(int64_t Value) { return static_cast<uint32_t>(static_cast<uint64_t>(Value)); }

bool FileExists(const std::string& Name)
{
    struct stat Info {};
    return ::stat(Name.c_str(), &Info) == 0;
}

// Reads the head of a file that is to be appended to: no identifier that counts
// lies beyond ScanLimit, so that much (and the size field after it) is all the
// scan ever needs, and every read is checked against what was read.
class THeadReader {
public:
    explicit THeadReader(TAuStream& Stream)
    {
        Stream.SetPosition(0);
        FBytes.resize(static_cast<size_t>(ScanLimit + 8));
        FBytes.resize(static_cast<size_t>(Stream.ReadAll(FBytes.data(), ScanLimit + 8)));
    }

    int64_t Consumed() const { return FPos; }
    bool StartsWith(const char* Id) const { return FBytes.size() >= 4 && std::memcmp(FBytes.data(), Id, 4) == 0; }

    const uint8_t* Take(int64_t Count)
    {
        if (Count < 0 || FPos + Count > static_cast<int64_t>(FBytes.size()))
            return nullptr;
        const uint8_t* At = FBytes.data() + FPos;
        FPos += Count;
        return At;
    }

    // Slides a 4-byte window one byte at a time until it shows Id.
    bool Find(const char* Id)
    {
        const uint8_t* Window = Take(4);
        while (Window != nullptr && !SameId(Window, Id)) {
            if (FPos >= ScanLimit || Take(1) == nullptr)
                return false;
            ++Window;
        }
        return Window != nullptr;
    }

private:
    std::vector<uint8_t> FBytes;
    int64_t FPos = 0;
};

} // namespace

TWaveOut::TWaveOut() = default;

TWaveOut::~TWaveOut()
{
    Destroying();
}

void TWaveOut::SetWavType(TWavType Value)
{
    if (Busy() || (Value != wtPCM && Value != wtDVIADPCM))
        return;
    FWavType = Value;
}

void TWaveOut::SetBlockSize(uint16_t Value)
{
    if (Busy() || Value == 0 || Value % 4 != 0)
        return;
    FBlockSize = Value;
}

void TWaveOut::SetFileMode(TFileOutputMode Mode)
{
    FFileMode = Mode;
}

void TWaveOut::SetTags(TFileTags Tags)
{
    if (!Busy())
        FTags = std::move(Tags);
}

void TWaveOut::SetClassicLimitForTesting(int64_t Bytes)
{
    ClassicLimit = Bytes > 0 ? std::min(Bytes, MaxRiffFile) : MaxRiffFile;
}

void TWaveOut::Abandon(const char* Message)
{
    Input()->Flush();
    FStream.reset();
    throw EAuException(Message);
}

void TWaveOut::Prepare()
{
    FEndReached = false;
    FFailed = false;
    FAppended = false;
    FHeaderReady = false;
    FRf64 = false;
    FFoundRf64 = false;
    FInfoChunk.clear();
    FTrailer.clear();
    FPending.clear();
    FPending.reserve(PendingBytes);
    const std::string Name = FileName();
    if (Name.empty())
        throw EAuException(MsgNoFileName);
    // The source starts first: one that cannot be decoded must not cost an
    // existing file of that name its contents.
    TAuInput& Source = *Input();
    Source.Init();
    if (FFileMode == foAppend && FileExists(Name))
        FStream = std::make_unique<TAuFileStream>(Name, static_cast<uint16_t>(FShareMode | 2));
    else
        FStream = std::make_unique<TAuFileStream>(CreationName(Name), TAuFileStream::fmCreate);
    const int Channels = Source.Channels();
    const int Bits = Source.BitsPerSample();
    if (Channels < 1 || Bits < 8 || Source.SampleRate() < 1 || Channels * Bits > 8 * UINT16_MAX)
        Abandon(MsgNoFormat);
    FFrameBytes = static_cast<uint32_t>((Channels * Bits) >> 3);
    if ((Channels > 2 || Bits >= 17) && !FCreateNonMsHeaders)
        FWavType = wtExtPCM;

    const bool AppendToData = FFileMode == foAppend && FStream->Size() > 0;
    if (AppendToData) {
        if (!ScanHeader())
            Abandon(MsgCannotAppend);
        FWavType = FFoundKind == fkPCM ? wtPCM : wtDVIADPCM;
    } else {
        FInfoChunk = InfoListChunk(FTags);
        FTrailer = Id3Chunk(FTags);
    }

    switch (FWavType) {
    case wtPCM:
        if (AppendToData) {
            if (static_cast<uint32_t>(Source.SampleRate()) != FFoundSampleRate ||
                Bits != FFoundBitsPerSample || Channels != FFoundChannels)
                Abandon(MsgOtherFormat);
            StartAppend(FFirstDataPosition);
            return;
        }
        WritePcmHeader(false);
        return;
    case wtDVIADPCM:
        if (Bits != 16)
            Abandon(MsgAdpcmDepth);
        if (Channels > 2)
            Abandon(MsgAdpcmChannels);
        if (AppendToData) {
            if (static_cast<uint32_t>(Source.SampleRate()) != FFoundSampleRate ||
                Channels != FFoundChannels)
                Abandon(MsgOtherFormat);
            FBlockSize = FFoundBlockAlign;
            StartAppend(FFirstDataPosition);
        } else {
            if (!ImaBlockSizeSuits(FBlockSize, Channels))
                Abandon(MsgAdpcmBlockSize);
            WriteAdpcmHeader();
            FAdpcm[0].StepIndex = 0;
            FAdpcm[1].StepIndex = 0;
        }
        {
            const uint16_t Block = FBlockSize;
            FAdpcmIn.assign(static_cast<size_t>(ImaSamplesPerBlock(Block, Channels)) * Channels * 2, 0);
            FAdpcmOut.assign(Block, 0);
            FAdpcmFrames.assign(FAdpcmIn.size() / 2, 0);
        }
        return;
    default:
        WritePcmHeader(true);
        return;
    }
}

void TWaveOut::StartAppend(int64_t DataStart)
{
    TakeTrailer(DataStart);
    FAppended = true;
    FHeaderReady = true;
    FRf64 = FFoundRf64;
    FDataStart = DataStart;
    FStreamPos = FStream->Seek(0, TSeekOrigin::End);
    FMaxStreamSize = FRf64 ? INT64_MAX : std::min(DataStart + MaxChunkData, ClassicRoom());
}

// The largest the data may make a classic file: the chunks behind the data
// (and a pad byte before them) still have to fit.
int64_t TWaveOut::ClassicRoom() const
{
    return ClassicLimit.load() - (FTrailer.empty() ? 0 : static_cast<int64_t>(FTrailer.size()) + 1);
}

// Chunks after the data (tags, mostly) must stay behind it: they are taken
// off the end and put back when the run completes. Only what reads as whole
// chunks up to the end of the file counts; anything else is taken for data,
// as a file whose data size was never patched has it.
void TWaveOut::TakeTrailer(int64_t DataStart)
{
    const int64_t StreamSize = FStream->Size();
    const int64_t DataEnd = DataStart + FFoundDataSize;
    const int64_t TrailerStart = DataEnd + (FFoundDataSize % 2);
    if (DataEnd >= StreamSize || TrailerStart > StreamSize || StreamSize - TrailerStart > MaxTrailer)
        return;
    std::vector<uint8_t> Trailer(static_cast<size_t>(StreamSize - TrailerStart));
    FStream->SetPosition(TrailerStart);
    if (!FStream->ReadExact(Trailer.data(), static_cast<int64_t>(Trailer.size())))
        Abandon(MsgCannotAppend);
    for (size_t At = 0; At < Trailer.size();) {
        if (Trailer.size() - At < 8)
            return;
        const uint64_t Body = GetLE32(&Trailer[At + 4]);
        At += 8;
        if (Body > Trailer.size() - At)
            return;
        At += static_cast<size_t>(Body + Body % 2);
        if (At > Trailer.size() + 1)
            return;
    }
    auto* File = dynamic_cast<TAuFileStream*>(FStream.get());
    if (File == nullptr)
        Abandon(MsgCannotAppend);
    File->SetSize(DataEnd);
    FTrailer = std::move(Trailer);
}

// The stated length decides: a source of unknown length that grows past the
// limit fails there, as the sizes of the header written for it cannot say it.
bool TWaveOut::ChooseRf64(int64_t HeaderBytes) const
{
    const int64_t Size = Input()->Size();
    if (Size < 0 || FWavType == wtDVIADPCM)
        return false;
    return Size > MaxChunkData ||
           HeaderBytes + Size + Size % 2 + static_cast<int64_t>(FTrailer.size()) > ClassicLimit.load();
}

// Header holds RIFF, WAVE and the format chunks; the ds64 chunk (for RF64),
// the LIST chunk and the data chunk's head are added here, with the sizes a
// complete file of DataSize data bytes has.
void TWaveOut::WriteHeader(std::vector<uint8_t>& H, int64_t DataSize)
{
    const int64_t HeaderBytes = static_cast<int64_t>(H.size() + FInfoChunk.size() + 8);
    FRf64 = ChooseRf64(HeaderBytes);
    if (FRf64) {
        FDs64Position = Ds64RiffSizeAt;
        uint8_t Ds64[Ds64ChunkSize] = {};
        PutId(Ds64, "ds64");
        PutLE32(Ds64 + 4, Ds64ChunkSize - 8);
        H.insert(H.begin() + 12, Ds64, Ds64 + Ds64ChunkSize);
    }
    H.insert(H.end(), FInfoChunk.begin(), FInfoChunk.end());
    const size_t DataHead = H.size();
    H.resize(DataHead + 8);
    PutId(&H[DataHead], "data");
    const int64_t Trailer = DataSize < 0 || FTrailer.empty() ? 0 : DataSize % 2 + static_cast<int64_t>(FTrailer.size());
    const int64_t RiffSize = static_cast<int64_t>(H.size()) - 8 + DataSize + Trailer;
    if (FRf64) {
        PutId(H.data(), "RF64");
        PutLE32(&H[4], 0xFFFFFFFF);
        PutLE32(&H[DataHead + 4], 0xFFFFFFFF);
        PutLE64(&H[Ds64RiffSizeAt], static_cast<uint64_t>(RiffSize));
        PutLE64(&H[Ds64RiffSizeAt + 8], static_cast<uint64_t>(DataSize));
        PutLE64(&H[Ds64RiffSizeAt + 16], static_cast<uint64_t>(DataSize / FFrameBytes));
    } else {
        PutLE32(&H[4], Low32(RiffSize));
        PutLE32(&H[DataHead + 4], Low32(DataSize));
    }
    FStream->Write(H.data(), static_cast<int64_t>(H.size()));
    FHeaderReady = true;
    FDataStart = static_cast<int64_t>(H.size());
    FStreamPos = FDataStart;
    FStatedDataSize = DataSize;
    FMaxStreamSize = FRf64 ? INT64_MAX : std::min(FDataStart + MaxChunkData, ClassicRoom());
}

// The 36 bytes both PCM layouts share: RIFF and WAVE (sizes left to
// WriteHeader), then a format chunk of FmtSize bytes for the input's format,
// up to its bits per sample.
void TWaveOut::PutPcmFormat(uint8_t* H, uint32_t FmtSize, uint16_t Tag)
{
    TAuInput& Source = *Input();
    const uint16_t Channels = static_cast<uint16_t>(Source.Channels());
    const uint16_t Bits = static_cast<uint16_t>(Source.BitsPerSample());
    const uint32_t Rate = static_cast<uint32_t>(Source.SampleRate());
    const uint16_t Align = static_cast<uint16_t>((Bits * Channels) >> 3);
    PutId(H, "RIFF");
    PutId(H + 8, "WAVE");
    PutId(H + 12, "fmt ");
    PutLE32(H + 16, FmtSize);
    PutLE16(H + 20, Tag);
    PutLE16(H + 22, Channels);
    PutLE32(H + 24, Rate);
    PutLE32(H + 28, Rate * Align);
    PutLE16(H + 32, Align);
    PutLE16(H + 34, Bits);
}

void TWaveOut::WritePcmHeader(bool Extensible)
{
    TAuInput& Source = *Input();
    std::vector<uint8_t> H(Extensible ? 60 : 36);
    PutPcmFormat(H.data(), Extensible ? 40 : 16, Extensible ? 0xFFFE : 1);
    if (!Extensible) {
        WriteHeader(H, Source.Size());
        return;
    }
    uint32_t Mask = 0;
    switch (Source.Channels()) {
    case 1: Mask = 1; break;
    case 2: Mask = 3; break;
    case 6: Mask = 63; break;
    case 8: Mask = 255; break;
    default: break;
    }
    PutLE16(&H[36], 22);
    PutLE16(&H[38], static_cast<uint16_t>(Source.BitsPerSample()));
    PutLE32(&H[40], Mask);
    std::memcpy(&H[44], PcmSubFormat, sizeof PcmSubFormat);
    WriteHeader(H, Source.Size());
}

void TWaveOut::WriteAdpcmHeader()
{
    TAuInput& Source = *Input();
    const int64_t Size = Source.Size();
    const int Channels = Source.Channels();
    const int Bits = Source.BitsPerSample();
    const uint32_t Rate = static_cast<uint32_t>(Source.SampleRate());
    const uint16_t Block = FBlockSize;
    const uint16_t Spb = ImaSamplesPerBlock(Block, Channels);
    const int64_t Frames = (Size / (Bits / 8)) / Channels;
    const uint32_t DataSize =
        Low32(RoundToEven(static_cast<long double>(Frames) / Spb) * static_cast<int64_t>(Block));
    std::vector<uint8_t> Head(AdpcmHeadSize);
    uint8_t* H = Head.data();
    PutId(H, "RIFF");
    PutId(H + 8, "WAVE");
    PutId(H + 12, "fmt ");
    PutLE32(H + 16, 20);
    PutLE16(H + 20, 17);
    PutLE16(H + 22, static_cast<uint16_t>(Channels));
    PutLE32(H + 24, Rate);
    PutLE32(H + 28, (Rate / Spb) * Block);
    PutLE16(H + 32, Block);
    PutLE16(H + 34, 4);
    PutLE16(H + 36, 2);
    PutLE16(H + 38, Spb);
    PutId(H + 40, "fact");
    PutLE32(H + 44, 4);
    PutLE32(H + 48, Low32(Frames));
    WriteHeader(Head, DataSize);
}

bool TWaveOut::ScanHeader()
{
    enum { LookingForFmt, LookingForFact, LookingForData } State = LookingForFmt;
    TFoundKind Kind = fkNone;
    FFoundKind = fkNone;
    THeadReader Head(*FStream);
    // An RF64 file has its sizes in the ds64 chunk, the first after WAVE.
    const bool Rf64 = Head.StartsWith("RF64");
    int64_t Ds64DataSize = -1;
    if (!Head.Find(Rf64 ? "RF64" : "RIFF") || Head.Take(4) == nullptr || !Head.Find("WAVE"))
        return false;
    for (;;) {
        const uint8_t* Id = Head.Take(4);
        if (Id == nullptr || Head.Consumed() >= ScanLimit)
            return false;
        const uint8_t* SizeField = Head.Take(4);
        if (SizeField == nullptr)
            return false;
        const uint32_t ChunkSize = GetLE32(SizeField);
        if (State == LookingForData && SameId(Id, "data")) {
            if (Rf64 && (Ds64DataSize < 0 || Kind != fkPCM))
                return false;
            FFoundRf64 = Rf64;
            FFoundDataSize = Rf64 && ChunkSize == 0xFFFFFFFF ? Ds64DataSize : ChunkSize;
            FDataSizePosition = Head.Consumed() - 4;
            FFirstDataPosition = Head.Consumed();
            FFoundKind = Kind;
            return true;
        }
        // Chunks are skipped by their stated size; no pad byte follows odd sizes.
        const uint8_t* Body = Head.Take(ChunkSize);
        if (Body == nullptr)
            return false;
        if (Rf64 && Ds64DataSize < 0 && SameId(Id, "ds64") && ChunkSize >= 24) {
            FDs64Position = Head.Consumed() - ChunkSize;
            Ds64DataSize = static_cast<int64_t>(GetLE64(Body + 8));
        } else if (State == LookingForFmt && SameId(Id, "fmt ")) {
            if (ChunkSize < 16)
                return false;
            const uint16_t Tag = GetLE16(Body);
            FFoundChannels = GetLE16(Body + 2);
            FFoundSampleRate = GetLE32(Body + 4);
            FFoundBlockAlign = GetLE16(Body + 12);
            FFoundBitsPerSample = GetLE16(Body + 14);
            if (FFoundChannels == 0)
                return false;
            if (Tag == 1) {
                Kind = fkPCM;
                State = LookingForData;
            } else if (Tag == 17 && ImaBlockSizeSuits(FFoundBlockAlign, FFoundChannels)) {
                // Later blocks must match the ones already in the file.
                Kind = fkADPCM;
                State = LookingForFact;
            } else {
                return false;
            }
        } else if (State == LookingForFact && SameId(Id, "fact") && ChunkSize >= 4) {
            FFactPosition = Head.Consumed() - ChunkSize;
            FFoundFact = GetLE32(Body);
            State = LookingForData;
        }
    }
}

void TWaveOut::WriteData(const uint8_t* Data, uint32_t Bytes, uint32_t Align)
{
    if (FStreamPos + Bytes > FMaxStreamSize) {
        WritePending();
        int64_t Room = FMaxStreamSize - FStreamPos;
        Room -= Room % Align;
        if (Room > 0) {
            FStream->Write(Data, Room);
            FStreamPos += Room;
        }
        throw EAuException(MsgSizeLimit);
    }
    if (FPending.size() + Bytes > PendingBytes)
        WritePending();
    if (Bytes >= PendingBytes)
        FStream->Write(Data, Bytes);
    else
        FPending.insert(FPending.end(), Data, Data + Bytes);
    FStreamPos += Bytes;
}

void TWaveOut::WritePending()
{
    if (FPending.empty())
        return;
    // Dropped even when the write fails: what the disk refused is not offered again.
    struct TClear {
        std::vector<uint8_t>& Pending;
        ~TClear() { Pending.clear(); }
    } Clear{FPending};
    FStream->Write(FPending.data(), static_cast<int64_t>(FPending.size()));
}

bool TWaveOut::ProcessChunk(bool Abort)
{
    if (Abort || FEndReached)
        return false;
    try {
        return FWavType == wtDVIADPCM ? ProcessAdpcmChunk() : ProcessPcmChunk();
    } catch (...) {
        FFailed = true;
        throw;
    }
}

bool TWaveOut::ProcessPcmChunk()
{
    TAuInput& Source = *Input();
    uint8_t* Buffer = nullptr;
    uint32_t Bytes = PcmChunkBytes;
    Source.GetData(Buffer, Bytes);
    if (Buffer == nullptr || Bytes == 0)
        return false;
    WriteData(Buffer, Bytes, FFrameBytes);
    return true;
}

bool TWaveOut::ProcessAdpcmChunk()
{
    TAuInput& Source = *Input();
    const int Channels = Source.Channels();
    std::fill(FAdpcmIn.begin(), FAdpcmIn.end(), 0);
    const uint32_t Wanted = static_cast<uint32_t>(FAdpcmIn.size());
    uint32_t Filled = 0;
    while (Filled < Wanted) {
        const uint32_t Got = Source.CopyData(FAdpcmIn.data() + Filled, Wanted - Filled);
        if (Got == 0) {
            FEndReached = true;
            break;
        }
        Filled += Got;
    }
    // The samples are little-endian in the buffer; the encoder wants host order.
    std::vector<int16_t>& Frames = FAdpcmFrames;
    for (size_t I = 0; I < Frames.size(); ++I)
        Frames[I] = static_cast<int16_t>(GetLE16(FAdpcmIn.data() + 2 * I));
    ImaEncodeBlock(Frames.data(), Channels, FBlockSize, FAdpcm, FAdpcmOut.data());
    WriteData(FAdpcmOut.data(), static_cast<uint32_t>(FAdpcmOut.size()), FBlockSize);
    return true;
}

void TWaveOut::PatchAt(int64_t Offset, uint32_t Value)
{
    uint8_t Field[4];
    PutLE32(Field, Value);
    FStream->SetPosition(Offset);
    FStream->Write(Field, 4);
}

void TWaveOut::PatchAt64(int64_t Offset, uint64_t Value)
{
    PatchAt(Offset, static_cast<uint32_t>(Value));
    PatchAt(Offset + 4, static_cast<uint32_t>(Value >> 32));
}

void TWaveOut::PatchHeader(bool SizesOnly, int64_t DataEnd)
{
    const int64_t StreamSize = FStream->Size();
    const uint32_t DataSize = Low32(DataEnd - FDataStart);
    switch (FWavType) {
    case wtDVIADPCM:
        if (FAppended) {
            PatchAt(FDataSizePosition, DataSize);
            if (!SizesOnly) {
                const uint16_t Block = FBlockSize;
                PatchAt(FFactPosition, static_cast<uint32_t>(ImaSamplesPerBlock(Block, FFoundChannels)) *
                                           (DataSize / Block));
            }
        } else {
            uint8_t H[AdpcmHeadSize];
            FStream->SetPosition(0);
            if (!FStream->ReadExact(H, sizeof H))
                throw EAuException(MsgCannotAppend);
            if (!SizesOnly) {
                const uint16_t Align = std::max<uint16_t>(1, GetLE16(H + 32));
                PutLE32(H + 48, DataSize / Align * GetLE16(H + 38));
            }
            FStream->SetPosition(0);
            FStream->Write(H, sizeof H);
            PatchAt(FDataStart - 4, DataSize);
        }
        break;
    default:
        if (FRf64) {
            PatchAt64(FDs64Position, static_cast<uint64_t>(StreamSize - 8));
            PatchAt64(FDs64Position + 8, static_cast<uint64_t>(DataEnd - FDataStart));
            PatchAt64(FDs64Position + 16, static_cast<uint64_t>((DataEnd - FDataStart) / FFrameBytes));
            return;
        }
        PatchAt(FAppended ? FDataSizePosition : FDataStart - 4, DataSize);
        break;
    }
    PatchAt(4, Low32(StreamSize - 8));
}

// Puts the chunks that belong behind the data there, after a pad byte when
// the data's size is odd; returns where the data ends.
int64_t TWaveOut::AttachTrailer()
{
    const int64_t DataEnd = FStream->Seek(0, TSeekOrigin::End);
    if (FTrailer.empty())
        return DataEnd;
    if ((DataEnd - FDataStart) % 2 != 0) {
        const uint8_t Pad = 0;
        FStream->Write(&Pad, 1);
    }
    FStream->Write(FTrailer.data(), static_cast<int64_t>(FTrailer.size()));
    return DataEnd;
}

void TWaveOut::Finish()
{
    // Decided before closing: a failure while closing is raised from there.
    const bool Succeeded = ExceptionMessage().empty() && !Stopped() && !FFailed;
    try {
        CompleteFile();
    } catch (...) {
        SettleFile(false);
        throw;
    }
    // A stopped run that leaves no file has not done what it was asked.
    if (!SettleFile(Succeeded) && Stopped())
        throw EAuException(MsgStoppedUnwritten);
}

void TWaveOut::CompleteFile()
{
    TAuInput* Source = Input();
    if (!FHeaderReady) {
        // Nothing of ours is in the file yet: there is no header to make true.
        FPending.clear();
        FStream.reset();
        if (Source != nullptr)
            Source->Flush();
        return;
    }
    std::string CutShort;
    try {
        WritePending();
        const int64_t Size = Source->Size();
        const int64_t Written = FStreamPos - FDataStart;
        bool Patch = Size < 0 || FFileMode == foAppend || Stopped() || FFailed;
        bool SizesOnly = false;
        if (!Patch)
            CutShort = CutShortMessage(*Source);
        if (!Patch) {
            // A clean run that delivered a little less than announced is
            // padded with silence, as far as the format allows; any other
            // mismatch is patched so the header states what the file holds.
            if (CutShort.empty() && FWavType != wtDVIADPCM && Written < Size &&
                FDataStart + Size <= FMaxStreamSize) {
                FStream->SetPosition(FStreamPos);
                // 8-bit samples are unsigned: their silence is the middle value.
                const uint8_t Silence = Source->BitsPerSample() == 8 ? 0x80 : 0x00;
                std::vector<uint8_t> Pad(PcmChunkBytes, Silence);
                for (int64_t Left = Size - Written; Left > 0;) {
                    const int64_t Part = std::min<int64_t>(Left, PcmChunkBytes);
                    FStream->Write(Pad.data(), Part);
                    Left -= Part;
                }
                FStreamPos = FDataStart + Size;
            } else if (Written != FStatedDataSize) {
                Patch = true;
                SizesOnly = true;
            }
        }
        const int64_t DataEnd = AttachTrailer();
        if (Patch)
            PatchHeader(SizesOnly, DataEnd);
    } catch (...) {
        FStream.reset();
        Source->Flush();
        throw;
    }
    FStream.reset();
    Source->Flush();
    if (!CutShort.empty())
        throw EAuException(CutShort);
}

// Decoders state a file's length from its header and may deliver a little less
// (encoder delay, a last frame cut by a few milliseconds); a file whose audio
// ends long before that is a cut download or a damaged file, and padding it
// with silence would pass it off as whole.
std::string TWaveOut::CutShortMessage(TAuInput& Source)
{
    const int64_t Size = Source.Size();
    const int64_t Delivered = Source.Position();
    const double BytesPerSecond = static_cast<double>(Source.SampleRate()) * Source.Channels() *
                                  (Source.BitsPerSample() / 8);
    if (Size <= 0 || Delivered >= Size || BytesPerSecond <= 0)
        return std::string();
    const double Stated = static_cast<double>(Size) / BytesPerSecond;
    const double Decoded = static_cast<double>(Delivered) / BytesPerSecond;
    if (Stated - Decoded <= std::max(CutShortSeconds, CutShortShare * Stated))
        return std::string();
    char Text[160];
    std::snprintf(Text, sizeof Text,
                  "The audio ends at %.2f s, but the file states a length of %.2f s: the file is cut short.",
                  Decoded, Stated);
    return Text;
}

} // namespace au
