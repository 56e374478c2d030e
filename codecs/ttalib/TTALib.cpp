// SPDX-License-Identifier: GPL-3.0-or-later
// The TrueAudio decoder component over FFmpeg's TTA demuxer and decoder.
#include "TTALib.h"

#include "AudioReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

namespace {

constexpr int HeaderBytes = 22;
// Beyond these a header is taken for damage: they bound what a frame allocates.
constexpr uint32_t MaxChannels = 16;
constexpr uint32_t MaxSampleRate = 768000;

uint32_t LE16(const uint8_t* P) { return P[0] | (P[1] << 8); }
uint32_t LE32(const uint8_t* P) { return LE16(P) | (static_cast<uint32_t>(LE16(P + 2)) << 16); }

void SetError(TTAError* Error, const char* Text)
{
    if (Error != nullptr)
        std::snprintf(Error->Text, sizeof Error->Text, "%s", Text);
}

// Runs Body, turning any exception into a -1 result with its text.
template <typename F> int Guarded(TTAError* Error, F&& Body)
{
    try {
        Body();
        return 0;
    } catch (const std::bad_alloc&) {
        SetError(Error, "out of memory");
    } catch (const std::exception& E) {
        SetError(Error, E.what());
    }
    return -1;
}

struct TFormat {
    uint32_t Channels = 0, Bits = 0, Rate = 0, Length = 0;
};

// Reads and checks the header at Base before FFmpeg sees the stream, so that a
// damaged one is refused before anything is sized from it: the seek table
// FFmpeg reads must fit in the file.
TFormat ReadHeader(int Handle, int64_t Base)
{
    uint8_t Header[HeaderBytes];
    if (::pread(Handle, Header, HeaderBytes, Base) != HeaderBytes || std::memcmp(Header, "TTA1", 4) != 0)
        throw ffaudio::TReaderError("not a TrueAudio stream");
    TFormat Format;
    const uint32_t Kind = LE16(Header + 4);
    Format.Channels = LE16(Header + 6);
    Format.Bits = LE16(Header + 8);
    Format.Rate = LE32(Header + 10);
    Format.Length = LE32(Header + 14);
    if (Kind != 1)
        throw ffaudio::TReaderError("unsupported TrueAudio format (encrypted or floating point)");
    if (Format.Bits != 8 && Format.Bits != 16 && Format.Bits != 24)
        throw ffaudio::TReaderError("unsupported bits per sample");
    if (Format.Channels == 0 || Format.Channels > MaxChannels || Format.Rate == 0 || Format.Rate > MaxSampleRate)
        throw ffaudio::TReaderError("damaged TrueAudio header");
    struct stat Info {};
    if (::fstat(Handle, &Info) != 0)
        throw ffaudio::TReaderError("cannot read the file size");
    const uint64_t FrameLength = uint64_t{Format.Rate} * 256 / 245;
    const uint64_t Frames = (Format.Length + FrameLength - 1) / FrameLength;
    if (static_cast<int64_t>(HeaderBytes + Frames * 4 + 4) > Info.st_size - Base)
        throw ffaudio::TReaderError("damaged TrueAudio header: the seek table does not fit the file");
    return Format;
}

// The descriptor as FFmpeg's byte source, with the position it had at creation as 0.
struct TSource {
    int Handle;
    int64_t Base;

    static int Read(void* Opaque, uint8_t* Buffer, int Size)
    {
        const TSource& Self = *static_cast<TSource*>(Opaque);
        ssize_t Got;
        do
            Got = ::read(Self.Handle, Buffer, static_cast<size_t>(Size));
        while (Got < 0 && errno == EINTR);
        if (Got < 0)
            return AVERROR(errno);
        return Got == 0 ? AVERROR_EOF : static_cast<int>(Got);
    }

    static int64_t Seek(void* Opaque, int64_t Offset, int Whence)
    {
        const TSource& Self = *static_cast<TSource*>(Opaque);
        if (Whence & AVSEEK_SIZE) {
            struct stat Info {};
            return ::fstat(Self.Handle, &Info) == 0 ? Info.st_size - Self.Base : AVERROR(errno);
        }
        Whence &= ~AVSEEK_FORCE;
        off_t At = -1;
        if (Whence == SEEK_SET)
            At = ::lseek(Self.Handle, Self.Base + Offset, SEEK_SET);
        else if (Whence == SEEK_CUR || Whence == SEEK_END)
            At = ::lseek(Self.Handle, Offset, Whence);
        if (At < 0)
            return AVERROR(EINVAL);
        return At - Self.Base;
    }
};

} // namespace

struct TTADecoder {
    TSource Source{};
    TFormat Format;
    AVIOContext* Io = nullptr;
    std::unique_ptr<ffaudio::TAudioReader> Reader;
    std::vector<int32_t> Block;

    ~TTADecoder()
    {
        Reader.reset();
        if (Io != nullptr)
            av_freep(&Io->buffer);
        avio_context_free(&Io);
    }
};

namespace {

int Answer(TTADecoder* Decoder, int32_t* Value, uint32_t TFormat::*Field, TTAError* Error)
{
    if (Decoder == nullptr || Value == nullptr) {
        SetError(Error, "no decoder");
        return -1;
    }
    *Value = static_cast<int32_t>(Decoder->Format.*Field);
    return 0;
}

} // namespace

extern "C" {

TTADecoder* TTADecoder_Create(int Handle, TTAError* Error)
{
    std::unique_ptr<TTADecoder> Decoder;
    const int Result = Guarded(Error, [&] {
        const off_t Base = ::lseek(Handle, 0, SEEK_CUR);
        if (Base < 0)
            throw ffaudio::TReaderError("the handle cannot be read");
        Decoder = std::make_unique<TTADecoder>();
        Decoder->Source = {Handle, Base};
        Decoder->Format = ReadHeader(Handle, Base);
        constexpr int BufferSize = 32768;
        auto* Buffer = static_cast<unsigned char*>(av_malloc(BufferSize));
        if (Buffer != nullptr)
            Decoder->Io = avio_alloc_context(Buffer, BufferSize, 0, &Decoder->Source, TSource::Read, nullptr,
                                             TSource::Seek);
        if (Decoder->Io == nullptr) {
            av_free(Buffer);
            throw std::bad_alloc();
        }
        Decoder->Reader = std::make_unique<ffaudio::TAudioReader>(ffaudio::OpenInput(nullptr, Decoder->Io, "tta"));
        if (Decoder->Reader->Channels() != static_cast<int>(Decoder->Format.Channels))
            throw ffaudio::TReaderError("damaged TrueAudio header");
    });
    return Result == 0 ? Decoder.release() : nullptr;
}

void TTADecoder_Destroy(TTADecoder* Decoder) { delete Decoder; }

int TTADecoder_GetNumChannels(TTADecoder* Decoder, int32_t* Value, TTAError* Error)
{
    return Answer(Decoder, Value, &TFormat::Channels, Error);
}

int TTADecoder_GetBitsPerSample(TTADecoder* Decoder, int32_t* Value, TTAError* Error)
{
    return Answer(Decoder, Value, &TFormat::Bits, Error);
}

int TTADecoder_GetSampleRate(TTADecoder* Decoder, int32_t* Value, TTAError* Error)
{
    return Answer(Decoder, Value, &TFormat::Rate, Error);
}

int TTADecoder_GetDataLength(TTADecoder* Decoder, int32_t* Value, TTAError* Error)
{
    return Answer(Decoder, Value, &TFormat::Length, Error);
}

int TTADecoder_GetBlock(TTADecoder* Decoder, int32_t** Block, int32_t* Length, TTAError* Error)
{
    if (Decoder == nullptr || Block == nullptr || Length == nullptr) {
        SetError(Error, "no decoder");
        return -1;
    }
    *Length = 0;
    return Guarded(Error, [&] {
        const AVFrame* Frame = Decoder->Reader->NextFrame();
        if (Frame == nullptr)
            return;
        const int Channels = static_cast<int>(Decoder->Format.Channels);
        Decoder->Block.resize(static_cast<size_t>(Frame->nb_samples) * Channels);
        ffaudio::TAudioReader::Interleave(Frame, Channels, static_cast<int>(Decoder->Format.Bits),
                                          Decoder->Block.data());
        *Block = Decoder->Block.data();
        *Length = Frame->nb_samples;
    });
}

} // extern "C"
