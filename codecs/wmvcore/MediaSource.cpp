// SPDX-License-Identifier: GPL-3.0-or-later
#include "MediaSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avstring.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <iterator>
#include <cstring>
#include <mutex>

namespace wmvcore {
namespace {

constexpr int IoBufferSize = 32768;
// More channels than any Windows Media or MPEG audio stream carries.
constexpr int MaxChannels = 32;
constexpr uint32_t MaxSampleRate = 768000;
constexpr AVRational HundredNanoseconds = {1, 10000000};

bool Supported(AVCodecID Id)
{
    switch (Id) {
    case AV_CODEC_ID_WMAV1:
    case AV_CODEC_ID_WMAV2:
    case AV_CODEC_ID_WMAPRO:
    case AV_CODEC_ID_WMALOSSLESS:
    case AV_CODEC_ID_WMAVOICE:
    case AV_CODEC_ID_MP3:
        return true;
    default:
        return false;
    }
}

// Malformed UTF-8 becomes U+FFFD.
std::u16string Utf16Of(const char* Value)
{
    std::u16string Text;
    if (Value == nullptr)
        return Text;
    const auto* At = reinterpret_cast<const uint8_t*>(Value);
    const uint8_t* End = At + std::strlen(Value);
    while (At < End) {
        const uint8_t* Start = At;
        int32_t Code = 0;
        if (av_utf8_decode(&Code, &At, End, 0) < 0)
            Code = 0xFFFD;
        if (At == Start)
            ++At;
        if (Code >= 0x10000) {
            Text.push_back(static_cast<char16_t>(0xD800 | ((Code - 0x10000) >> 10)));
            Text.push_back(static_cast<char16_t>(0xDC00 | ((Code - 0x10000) & 0x3FF)));
        } else {
            Text.push_back(static_cast<char16_t>(Code));
        }
    }
    return Text;
}

// The picture types as the demuxers name them, by their ID3v2 number.
constexpr const char* PictureTypes[] = {"Other",
                                        "32x32 pixels 'file icon'",
                                        "Other file icon",
                                        "Cover (front)",
                                        "Cover (back)",
                                        "Leaflet page",
                                        "Media (e.g. label side of CD)",
                                        "Lead artist/lead performer/soloist",
                                        "Artist/performer",
                                        "Conductor",
                                        "Band/Orchestra",
                                        "Composer",
                                        "Lyricist/text writer",
                                        "Recording Location",
                                        "During recording",
                                        "During performance",
                                        "Movie/video screen capture",
                                        "A bright coloured fish",
                                        "Illustration",
                                        "Band/artist logotype",
                                        "Publisher/Studio logotype"};

const char* PictureMime(AVCodecID Id)
{
    switch (Id) {
    case AV_CODEC_ID_PNG:
        return "image/png";
    case AV_CODEC_ID_GIF:
        return "image/gif";
    case AV_CODEC_ID_BMP:
        return "image/bmp";
    case AV_CODEC_ID_WEBP:
        return "image/webp";
    default:
        return "image/jpeg";
    }
}

// FFmpeg speaks to the file only through the caller's IStream.
int ReadPacket(void* Opaque, uint8_t* Buffer, int Size)
{
    uint32_t Read = 0;
    if (Size <= 0 || static_cast<wmf::IStream*>(Opaque)->Read(Buffer, static_cast<uint32_t>(Size), &Read) != wmf::S_OK ||
        Read == 0)
        return AVERROR_EOF;
    return static_cast<int>(std::min<uint32_t>(Read, static_cast<uint32_t>(Size)));
}

int64_t SeekStream(void* Opaque, int64_t Offset, int Whence)
{
    auto* Stream = static_cast<wmf::IStream*>(Opaque);
    Whence &= ~AVSEEK_FORCE;
    if (Whence == AVSEEK_SIZE) {
        wmf::STATSTG Stat{};
        return Stream->Stat(&Stat, 1) == wmf::S_OK ? static_cast<int64_t>(Stat.cbSize) : -1;
    }
    const uint32_t Origin = Whence == SEEK_SET ? 0 : Whence == SEEK_CUR ? 1 : Whence == SEEK_END ? 2 : 3;
    if (Origin > 2)
        return -1;
    uint64_t Position = 0;
    if (Stream->Seek(Offset, Origin, &Position) != wmf::S_OK)
        return -1;
    return static_cast<int64_t>(Position);
}

void QuietLibraries()
{
    // Damaged files would otherwise fill the program's standard error.
    static std::once_flag Once;
    std::call_once(Once, [] { av_log_set_level(AV_LOG_QUIET); });
}

AVSampleFormat ConverterFormat(uint32_t Bits)
{
    switch (Bits) {
    case 8:
        return AV_SAMPLE_FMT_U8;
    case 16:
        return AV_SAMPLE_FMT_S16;
    default: // 24-bit samples are the upper three bytes of 32-bit ones
        return AV_SAMPLE_FMT_S32;
    }
}

} // namespace

struct TMediaSource::TState {
    AVIOContext* Io = nullptr;
    AVFormatContext* Format = nullptr;
    AVCodecContext* Decoder = nullptr;
    AVPacket* Packet = nullptr;
    AVFrame* Frame = nullptr;
    SwrContext* Resampler = nullptr;
    // What the resampler was set up for; a stream may change mid-way.
    AVSampleFormat InFormat = AV_SAMPLE_FMT_NONE;
    int InRate = 0;
    AVChannelLayout InLayout{};
    TPcmFormat Output;
    bool Draining = false;
    bool Ended = false;
    TPcmBuffer Wide; // 32-bit samples on their way to 24-bit

    ~TState()
    {
        swr_free(&Resampler);
        av_channel_layout_uninit(&InLayout);
        av_frame_free(&Frame);
        av_packet_free(&Packet);
        avcodec_free_context(&Decoder);
        avformat_close_input(&Format);
        if (Io != nullptr)
            av_freep(&Io->buffer);
        avio_context_free(&Io);
    }
};

TMediaSource::TMediaSource(std::unique_ptr<TState> State) : FState(std::move(State)) {}

TMediaSource::~TMediaSource() = default;

std::unique_ptr<TMediaSource> TMediaSource::Open(wmf::IStream& Stream)
{
    QuietLibraries();
    auto State = std::make_unique<TState>();
    auto* Buffer = static_cast<uint8_t*>(av_malloc(IoBufferSize));
    if (Buffer == nullptr)
        return nullptr;
    State->Io = avio_alloc_context(Buffer, IoBufferSize, 0, &Stream, ReadPacket, nullptr, SeekStream);
    if (State->Io == nullptr) {
        av_free(Buffer);
        return nullptr;
    }
    State->Format = avformat_alloc_context();
    if (State->Format == nullptr)
        return nullptr;
    State->Format->pb = State->Io;
    State->Format->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (avformat_open_input(&State->Format, nullptr, nullptr, nullptr) < 0)
        return nullptr; // FFmpeg has freed the context
    const char* Container = State->Format->iformat->name;
    if (std::strcmp(Container, "asf") != 0 && std::strcmp(Container, "mp3") != 0)
        return nullptr;
    if (avformat_find_stream_info(State->Format, nullptr) < 0)
        return nullptr;
    const AVCodec* Codec = nullptr;
    const int Index = av_find_best_stream(State->Format, AVMEDIA_TYPE_AUDIO, -1, -1, &Codec, 0);
    if (Index < 0 || Codec == nullptr)
        return nullptr;
    const AVStream* Audio = State->Format->streams[Index];
    const AVCodecParameters* Parameters = Audio->codecpar;
    const int Channels = Parameters->ch_layout.nb_channels;
    if (!Supported(Parameters->codec_id) || Channels <= 0 || Channels > MaxChannels ||
        Parameters->sample_rate <= 0 || static_cast<uint32_t>(Parameters->sample_rate) > MaxSampleRate)
        return nullptr;
    State->Decoder = avcodec_alloc_context3(Codec);
    if (State->Decoder == nullptr || avcodec_parameters_to_context(State->Decoder, Parameters) < 0)
        return nullptr;
    State->Decoder->pkt_timebase = Audio->time_base;
    if (avcodec_open2(State->Decoder, Codec, nullptr) < 0)
        return nullptr;
    State->Packet = av_packet_alloc();
    State->Frame = av_frame_alloc();
    if (State->Packet == nullptr || State->Frame == nullptr)
        return nullptr;
    for (unsigned I = 0; I < State->Format->nb_streams; ++I)
        if (static_cast<int>(I) != Index)
            State->Format->streams[I]->discard = AVDISCARD_ALL;

    std::unique_ptr<TMediaSource> Source(new TMediaSource(std::move(State)));
    Source->FChannels = static_cast<uint32_t>(Channels);
    Source->FSampleRate = static_cast<uint32_t>(Parameters->sample_rate);
    Source->FDeep = std::max(Parameters->bits_per_raw_sample, Parameters->bits_per_coded_sample) > 16;
    Source->FStreamIndex = Index;
    Source->SetOutput({std::min<uint32_t>(Source->FChannels, 2), Source->FSampleRate, 16});
    return Source;
}

bool TMediaSource::IsAsf() const { return std::strcmp(FState->Format->iformat->name, "asf") == 0; }

uint32_t TMediaSource::Bitrate() const
{
    int64_t Rate = FState->Format->streams[FStreamIndex]->codecpar->bit_rate;
    if (Rate <= 0)
        Rate = FState->Format->bit_rate;
    return static_cast<uint32_t>(std::clamp<int64_t>(Rate, 0, UINT32_MAX));
}

uint64_t TMediaSource::Duration() const
{
    const int64_t Length = FState->Format->duration;
    if (Length == AV_NOPTS_VALUE || Length <= 0)
        return 0;
    return static_cast<uint64_t>(av_rescale_q(Length, AV_TIME_BASE_Q, HundredNanoseconds));
}

std::u16string TMediaSource::Tag(const char* Key) const
{
    const AVDictionaryEntry* Entry = av_dict_get(FState->Format->metadata, Key, nullptr, 0);
    if (Entry == nullptr)
        Entry = av_dict_get(FState->Format->streams[FStreamIndex]->metadata, Key, nullptr, 0);
    return Entry == nullptr ? std::u16string() : Utf16Of(Entry->value);
}

std::vector<TMediaSource::TPicture> TMediaSource::Pictures() const
{
    std::vector<TPicture> Found;
    const AVFormatContext* Format = FState->Format;
    for (unsigned I = 0; I < Format->nb_streams; ++I) {
        const AVStream* Stream = Format->streams[I];
        if ((Stream->disposition & AV_DISPOSITION_ATTACHED_PIC) == 0 || Stream->attached_pic.data == nullptr ||
            Stream->attached_pic.size <= 0)
            continue;
        TPicture Picture;
        Picture.Mime = PictureMime(Stream->codecpar->codec_id);
        // The demuxers name the picture's type in the stream's comment.
        if (const AVDictionaryEntry* Comment = av_dict_get(Stream->metadata, "comment", nullptr, 0))
            for (uint8_t Type = 0; Type < std::size(PictureTypes); ++Type)
                if (std::strcmp(Comment->value, PictureTypes[Type]) == 0)
                    Picture.Type = Type;
        if (const AVDictionaryEntry* Title = av_dict_get(Stream->metadata, "title", nullptr, 0))
            Picture.Description = Utf16Of(Title->value);
        Picture.Data = Stream->attached_pic.data;
        Picture.Size = static_cast<size_t>(Stream->attached_pic.size);
        Found.push_back(std::move(Picture));
    }
    return Found;
}

void TMediaSource::SetOutput(const TPcmFormat& Format)
{
    FState->Output = Format;
    swr_free(&FState->Resampler);
}

bool TMediaSource::Next(TPcmBuffer& Pcm, uint64_t& Time)
{
    TState& S = *FState;
    while (!S.Ended) {
        const int Received = avcodec_receive_frame(S.Decoder, S.Frame);
        if (Received == 0) {
            const int64_t Stamp = S.Frame->best_effort_timestamp;
            const AVRational Base = S.Format->streams[FStreamIndex]->time_base;
            Time = Stamp == AV_NOPTS_VALUE || Stamp < 0 ? 0
                                                        : static_cast<uint64_t>(av_rescale_q(Stamp, Base, HundredNanoseconds));
            const bool Converted = Convert(Pcm, false);
            av_frame_unref(S.Frame);
            if (Converted)
                return true;
            continue;
        }
        if (S.Draining) {
            // The decoder is empty; what the resampler still holds comes last.
            S.Ended = true;
            return Convert(Pcm, true);
        }
        // A damaged packet is skipped, as FFmpeg's own tools do.
        const int Read = av_read_frame(S.Format, S.Packet);
        if (Read < 0) {
            avcodec_send_packet(S.Decoder, nullptr);
            S.Draining = true;
            continue;
        }
        if (S.Packet->stream_index == FStreamIndex)
            avcodec_send_packet(S.Decoder, S.Packet);
        av_packet_unref(S.Packet);
    }
    return false;
}

bool TMediaSource::Convert(TPcmBuffer& Pcm, bool Flush)
{
    TState& S = *FState;
    const TPcmFormat& Out = S.Output;
    if (Flush && S.Resampler == nullptr)
        return false;
    if (!Flush) {
        AVChannelLayout Layout{};
        if (S.Frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || S.Frame->ch_layout.nb_channels <= 0)
            av_channel_layout_default(&Layout, S.Frame->ch_layout.nb_channels > 0 ? S.Frame->ch_layout.nb_channels
                                                                                   : static_cast<int>(FChannels));
        else if (av_channel_layout_copy(&Layout, &S.Frame->ch_layout) < 0)
            return false;
        const auto InFormat = static_cast<AVSampleFormat>(S.Frame->format);
        if (S.Resampler == nullptr || InFormat != S.InFormat || S.Frame->sample_rate != S.InRate ||
            av_channel_layout_compare(&Layout, &S.InLayout) != 0) {
            swr_free(&S.Resampler);
            AVChannelLayout OutLayout{};
            av_channel_layout_default(&OutLayout, static_cast<int>(Out.Channels));
            const int Made = swr_alloc_set_opts2(&S.Resampler, &OutLayout, ConverterFormat(Out.BitsPerSample),
                                                 static_cast<int>(Out.SampleRate), &Layout, InFormat,
                                                 S.Frame->sample_rate, 0, nullptr);
            av_channel_layout_uninit(&OutLayout);
            if (Made < 0 || S.Frame->sample_rate <= 0 || swr_init(S.Resampler) < 0) {
                swr_free(&S.Resampler);
                av_channel_layout_uninit(&Layout);
                return false;
            }
            S.InFormat = InFormat;
            S.InRate = S.Frame->sample_rate;
            av_channel_layout_uninit(&S.InLayout);
            S.InLayout = Layout;
        } else {
            av_channel_layout_uninit(&Layout);
        }
    }
    const int InSamples = Flush ? 0 : S.Frame->nb_samples;
    const int Room = swr_get_out_samples(S.Resampler, InSamples);
    if (Room <= 0)
        return false;
    const uint32_t ConverterWidth = Out.BitsPerSample == 24 ? 4 : Out.BitsPerSample / 8;
    TPcmBuffer& Target = Out.BitsPerSample == 24 ? S.Wide : Pcm;
    Target.resize(static_cast<size_t>(Room) * Out.Channels * ConverterWidth);
    uint8_t* Planes[1] = {Target.data()};
    const int Made = swr_convert(S.Resampler, Planes, Room,
                                 Flush ? nullptr : const_cast<const uint8_t**>(S.Frame->extended_data), InSamples);
    if (Made <= 0)
        return false;
    const size_t Samples = static_cast<size_t>(Made) * Out.Channels;
    if (Out.BitsPerSample == 24) {
        Pcm.resize(Samples * 3);
        for (size_t I = 0; I < Samples; ++I)
            std::memcpy(&Pcm[I * 3], &S.Wide[I * 4 + 1], 3);
    } else {
        Pcm.resize(Samples * ConverterWidth);
    }
    return true;
}

bool TMediaSource::Seek(uint64_t Time)
{
    TState& S = *FState;
    const AVRational Base = S.Format->streams[FStreamIndex]->time_base;
    const int64_t Target = av_rescale_q(static_cast<int64_t>(std::min<uint64_t>(Time, INT64_MAX / 2)),
                                        HundredNanoseconds, Base);
    if (av_seek_frame(S.Format, FStreamIndex, Target, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(S.Format, FStreamIndex, Target, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
        return false;
    avcodec_flush_buffers(S.Decoder);
    swr_free(&S.Resampler);
    S.Draining = false;
    S.Ended = false;
    return true;
}

} // namespace wmvcore
