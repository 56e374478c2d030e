// SPDX-License-Identifier: GPL-3.0-or-later
// The Monkey's Audio decoder component over FFmpeg's APE demuxer and decoder.
#include "MACDll.h"

#include "AudioReader.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace {

constexpr int APE_ERROR_DECOMPRESSING_FRAME = 1010;
constexpr int APE_ERROR_BAD_PARAMETER = 5000;

int CodeFor(int FFmpegError)
{
    if (FFmpegError == AVERROR(ENOMEM))
        return APE_ERROR_INSUFFICIENT_MEMORY;
    if (FFmpegError == AVERROR_PATCHWELCOME)
        return APE_ERROR_UNSUPPORTED_FILE_TYPE;
    if (FFmpegError == AVERROR(ENOENT) || FFmpegError == AVERROR(EACCES) || FFmpegError == AVERROR(EIO) ||
        FFmpegError == AVERROR(EISDIR))
        return APE_ERROR_IO_READ;
    return APE_ERROR_INVALID_INPUT_FILE;
}

int32_t Clamp32(int64_t Value) { return static_cast<int32_t>(std::clamp<int64_t>(Value, INT32_MIN, INT32_MAX)); }

uint32_t LE(const uint8_t* P, int Bytes)
{
    uint32_t V = 0;
    for (int I = Bytes - 1; I >= 0; --I)
        V = (V << 8) | P[I];
    return V;
}

// The seek table's length in bytes as the APE header at Offset states it, in
// FFmpeg's reading of both header layouts; 0 when there is no header there.
uint64_t StatedSeekTableBytes(std::FILE* File, long Offset)
{
    constexpr uint32_t DescriptorVersion = 3980;
    constexpr uint32_t HasPeakLevel = 4;
    constexpr uint32_t HasSeekElements = 16;
    uint8_t H[40] = {};
    if (std::fseek(File, Offset, SEEK_SET) != 0 || std::fread(H, 1, sizeof H, File) < 32 ||
        std::memcmp(H, "MAC ", 4) != 0)
        return 0;
    if (LE(H + 4, 2) >= DescriptorVersion)
        return LE(H + 16, 4);
    const uint32_t Flags = LE(H + 8, 2);
    const int SeekElementsAt = (Flags & HasPeakLevel) != 0 ? 36 : 32;
    const uint32_t Entries = (Flags & HasSeekElements) != 0 ? LE(H + SeekElementsAt, 4) : LE(H + 24, 4);
    return uint64_t{Entries} * 4;
}

// FFmpeg's APE demuxer sizes its frame and seek tables from the header alone,
// so a damaged header of a few bytes makes it allocate and clear gigabytes.
// The seek table lies within the file: a header that states a longer one is
// refused before FFmpeg reads it. What cannot be read is left to FFmpeg.
AVFormatContext* OpenApe(const char* FileName)
{
    if (std::FILE* File = std::fopen(FileName, "rb")) {
        uint8_t Id3[10] = {};
        long Offset = 0;
        if (std::fread(Id3, 1, sizeof Id3, File) == sizeof Id3 && std::memcmp(Id3, "ID3", 3) == 0)
            Offset = static_cast<long>(10 + ((Id3[5] & 0x10) ? 10 : 0) + ((Id3[6] & 0x7F) << 21) +
                                       ((Id3[7] & 0x7F) << 14) + ((Id3[8] & 0x7F) << 7) + (Id3[9] & 0x7F));
        const uint64_t SeekTable = StatedSeekTableBytes(File, Offset);
        const bool Sized = std::fseek(File, 0, SEEK_END) == 0;
        const long FileSize = std::ftell(File);
        std::fclose(File);
        if (Sized && FileSize >= 0 && SeekTable > static_cast<uint64_t>(FileSize))
            throw ffaudio::TReaderError("the seek table is longer than the file", AVERROR_INVALIDDATA);
    }
    return ffaudio::OpenInput(FileName, nullptr, "ape");
}

} // namespace

struct APEDecompress {
    std::unique_ptr<ffaudio::TAudioReader> Reader;
    int Channels = 0, Bits = 0, Rate = 0;
    int64_t TotalBlocks = 0;
    int64_t FileBytes = 0;
    // The decoded frame being handed out, as PCM bytes, and how far it is.
    std::vector<uint8_t> Pending;
    size_t PendingAt = 0;
    std::vector<int32_t> Samples;
    // Sample frames before this one are dropped: a seek lands on a packet start.
    int64_t SkipTo = 0;
    bool Ended = false;

    int FrameBytes() const { return Channels * Bits / 8; }

    // Decodes the next frame into Pending; false at the end.
    bool Decode()
    {
        for (;;) {
            const AVFrame* Frame = Reader->NextFrame();
            if (Frame == nullptr)
                return false;
            const int64_t Start = Reader->FramePosition();
            const int64_t Drop = std::clamp<int64_t>(SkipTo - Start, 0, Frame->nb_samples);
            if (Drop == Frame->nb_samples)
                continue;
            Samples.resize(static_cast<size_t>(Frame->nb_samples) * Channels);
            ffaudio::TAudioReader::Interleave(Frame, Channels, Bits, Samples.data());
            const size_t Width = static_cast<size_t>(Bits / 8);
            Pending.resize((Samples.size() - Drop * Channels) * Width);
            uint8_t* Out = Pending.data();
            for (size_t I = static_cast<size_t>(Drop) * Channels; I < Samples.size(); ++I) {
                const int32_t S = Samples[I];
                if (Width == 1) {
                    *Out++ = static_cast<uint8_t>(S + 128);
                    continue;
                }
                for (size_t B = 0; B < Width; ++B)
                    *Out++ = static_cast<uint8_t>(static_cast<uint32_t>(S) >> (8 * B));
            }
            PendingAt = 0;
            return true;
        }
    }
};

extern "C" {

APEDecompress* c_APEDecompress_Create(const char* FileName, int* Error)
{
    int Code = APE_ERROR_SUCCESS;
    std::unique_ptr<APEDecompress> Handle;
    try {
        if (FileName == nullptr)
            throw ffaudio::TReaderError("no file name", AVERROR(EINVAL));
        Handle = std::make_unique<APEDecompress>();
        Handle->Reader = std::make_unique<ffaudio::TAudioReader>(OpenApe(FileName));
        const AVStream* Stream = Handle->Reader->Stream();
        const AVCodecParameters* Parameters = Stream->codecpar;
        Handle->Channels = Handle->Reader->Channels();
        Handle->Bits = Parameters->bits_per_raw_sample != 0 ? Parameters->bits_per_raw_sample
                                                            : Parameters->bits_per_coded_sample;
        Handle->Rate = Parameters->sample_rate;
        if (Handle->Bits != 8 && Handle->Bits != 16 && Handle->Bits != 24)
            Code = APE_ERROR_UNSUPPORTED_BIT_DEPTH;
        else if (Handle->Rate <= 0)
            Code = APE_ERROR_UNSUPPORTED_SAMPLE_RATE;
        else if (Handle->Channels <= 0)
            Code = APE_ERROR_UNSUPPORTED_CHANNEL_COUNT;
        if (Stream->duration != AV_NOPTS_VALUE && Stream->duration > 0)
            Handle->TotalBlocks = av_rescale_q(Stream->duration, Stream->time_base, AVRational{1, Handle->Rate});
        const AVFormatContext* Format = Handle->Reader->Format();
        Handle->FileBytes = Format->pb != nullptr ? std::max<int64_t>(avio_size(Format->pb), 0) : 0;
    } catch (const std::bad_alloc&) {
        Code = APE_ERROR_INSUFFICIENT_MEMORY;
    } catch (const ffaudio::TReaderError& E) {
        Code = CodeFor(E.Code());
    } catch (const std::exception&) {
        Code = APE_ERROR_INVALID_INPUT_FILE;
    }
    if (Error != nullptr)
        *Error = Code;
    return Code == APE_ERROR_SUCCESS ? Handle.release() : nullptr;
}

void c_APEDecompress_Destroy(APEDecompress* Handle) { delete Handle; }

int c_APEDecompress_GetData(APEDecompress* Handle, char* Buffer, int32_t Blocks, int32_t* Retrieved)
{
    if (Retrieved != nullptr)
        *Retrieved = 0;
    if (Handle == nullptr || Buffer == nullptr || Retrieved == nullptr || Blocks < 0)
        return APE_ERROR_BAD_PARAMETER;
    const size_t Frame = static_cast<size_t>(Handle->FrameBytes());
    const size_t Wanted = static_cast<size_t>(Blocks) * Frame;
    size_t Written = 0;
    int Result = APE_ERROR_SUCCESS;
    try {
        while (Written < Wanted && !Handle->Ended) {
            if (Handle->PendingAt >= Handle->Pending.size() && !Handle->Decode()) {
                Handle->Ended = true;
                break;
            }
            const size_t Count = std::min(Wanted - Written, Handle->Pending.size() - Handle->PendingAt);
            std::memcpy(Buffer + Written, Handle->Pending.data() + Handle->PendingAt, Count);
            Handle->PendingAt += Count;
            Written += Count;
        }
    } catch (const std::bad_alloc&) {
        Handle->Ended = true;
        Result = APE_ERROR_INSUFFICIENT_MEMORY;
    } catch (const std::exception&) {
        Handle->Ended = true;
        Result = APE_ERROR_DECOMPRESSING_FRAME;
    }
    *Retrieved = static_cast<int32_t>(Written / Frame);
    return Result;
}

int32_t c_APEDecompress_GetInfo(APEDecompress* Handle, int32_t Field, int32_t, int32_t)
{
    if (Handle == nullptr)
        return 0;
    switch (Field) {
    case APE_INFO_SAMPLE_RATE:
        return Handle->Rate;
    case APE_INFO_BITS_PER_SAMPLE:
        return Handle->Bits;
    case APE_INFO_CHANNELS:
        return Handle->Channels;
    case APE_INFO_DATA_BYTES: {
        const int64_t Bytes = Handle->TotalBlocks * Handle->FrameBytes();
        return Bytes > INT32_MAX ? -1 : static_cast<int32_t>(Bytes);
    }
    case APE_INFO_LENGTH_MS:
        return Clamp32(Handle->TotalBlocks * 1000 / Handle->Rate);
    case APE_INFO_AVERAGE_BITRATE: {
        const int64_t Milliseconds = Handle->TotalBlocks * 1000 / Handle->Rate;
        // Bits per millisecond are kilobits per second.
        return Milliseconds > 0 ? Clamp32(Handle->FileBytes * 8 / Milliseconds) : 0;
    }
    default:
        return 0;
    }
}

int c_APEDecompress_Seek(APEDecompress* Handle, int32_t Block)
{
    if (Handle == nullptr)
        return APE_ERROR_BAD_PARAMETER;
    const int64_t Target = std::clamp<int64_t>(Block, 0, Handle->TotalBlocks);
    try {
        const AVStream* Stream = Handle->Reader->Stream();
        Handle->Reader->Seek(av_rescale_q(Target, AVRational{1, Handle->Rate}, Stream->time_base));
    } catch (const std::exception&) {
        return APE_ERROR_BAD_PARAMETER;
    }
    Handle->SkipTo = Target;
    Handle->Pending.clear();
    Handle->PendingAt = 0;
    Handle->Ended = false;
    return APE_ERROR_SUCCESS;
}

} // extern "C"

namespace {

// UTF-8 to ISO-8859-1 into a zero-padded field of Width bytes.
void PutLatin1(char* Field, size_t Width, const char* Utf8)
{
    std::memset(Field, 0, Width);
    const auto* P = reinterpret_cast<const unsigned char*>(Utf8);
    size_t At = 0;
    while (*P != 0 && At < Width) {
        const unsigned char Lead = *P++;
        uint32_t Code = Lead;
        int Follow = 0;
        if (Lead >= 0xF0) {
            Follow = 3;
            Code = Lead & 0x07;
        } else if (Lead >= 0xE0) {
            Follow = 2;
            Code = Lead & 0x0F;
        } else if (Lead >= 0xC0) {
            Follow = 1;
            Code = Lead & 0x1F;
        } else if (Lead >= 0x80) {
            Field[At++] = '?';
            continue;
        }
        bool Whole = true;
        for (; Follow > 0; --Follow) {
            if ((*P & 0xC0) != 0x80) {
                Whole = false;
                break;
            }
            Code = (Code << 6) | (*P++ & 0x3F);
        }
        Field[At++] = Whole && Code <= 0xFF ? static_cast<char>(Code) : '?';
    }
}

bool ReadTrailingId3v1(const char* FileName, ID3Tag* Tag)
{
    std::FILE* File = std::fopen(FileName, "rb");
    if (File == nullptr)
        return false;
    bool Found = std::fseek(File, -128, SEEK_END) == 0 && std::fread(Tag, 1, 128, File) == 128 &&
                 std::memcmp(Tag->Header, "TAG", 3) == 0;
    std::fclose(File);
    return Found;
}

bool ReadApeTag(const char* FileName, ID3Tag* Tag)
{
    AVFormatContext* Format = nullptr;
    try {
        Format = OpenApe(FileName);
    } catch (const ffaudio::TReaderError&) {
        return false;
    }
    std::memset(Tag, 0, sizeof *Tag);
    std::memcpy(Tag->Header, "TAG", 3);
    Tag->Genre = 255;
    bool Found = false;
    const auto Put = [&](const char* Key, char* Field, size_t Width) {
        if (const AVDictionaryEntry* Entry = av_dict_get(Format->metadata, Key, nullptr, 0)) {
            PutLatin1(Field, Width, Entry->value);
            Found = true;
        }
    };
    Put("Title", Tag->Title, sizeof Tag->Title);
    Put("Artist", Tag->Artist, sizeof Tag->Artist);
    Put("Album", Tag->Album, sizeof Tag->Album);
    Put("Year", Tag->Year, sizeof Tag->Year);
    Put("Comment", Tag->Comment, sizeof Tag->Comment);
    avformat_close_input(&Format);
    return Found;
}

} // namespace

static_assert(sizeof(ID3Tag) == 128, "the ID3v1 layout is 128 bytes");

extern "C" int GetID3Tag(const char* FileName, ID3Tag* Tag)
{
    if (FileName == nullptr || Tag == nullptr)
        return -1;
    try {
        return ReadTrailingId3v1(FileName, Tag) || ReadApeTag(FileName, Tag) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}
