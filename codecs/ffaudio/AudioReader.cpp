// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioReader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/samplefmt.h>
}

namespace ffaudio {
namespace {

std::string ErrorText(int Code)
{
    char Text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(Code, Text, sizeof Text);
    return Text;
}

void Check(int Result, const char* What)
{
    if (Result < 0)
        throw TReaderError(std::string(What) + ": " + ErrorText(Result), Result);
}

} // namespace

AVFormatContext* OpenInput(const char* Url, AVIOContext* Io, const char* FormatName)
{
    // A component says what went wrong through its results; FFmpeg's own
    // remarks about damaged files would only clutter the program's output.
    av_log_set_level(AV_LOG_QUIET);
    const AVInputFormat* Input = av_find_input_format(FormatName);
    if (Input == nullptr)
        throw TReaderError(std::string("FFmpeg lacks the demuxer ") + FormatName);
    AVFormatContext* Format = avformat_alloc_context();
    if (Format == nullptr)
        throw TReaderError("out of memory", AVERROR(ENOMEM));
    if (Io != nullptr) {
        Format->pb = Io;
        Format->flags |= AVFMT_FLAG_CUSTOM_IO;
    }
    // On failure the context is freed here (never the caller's Io).
    Check(avformat_open_input(&Format, Url, Input, nullptr), "cannot read the stream");
    return Format;
}

TAudioReader::TAudioReader(AVFormatContext* Format) : FFormat(Format)
{
    try {
        FStreamIndex = av_find_best_stream(FFormat, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        Check(FStreamIndex, "no audio stream");
        const AVCodecParameters* Parameters = FFormat->streams[FStreamIndex]->codecpar;
        const AVCodec* Decoder = avcodec_find_decoder(Parameters->codec_id);
        if (Decoder == nullptr)
            throw TReaderError("FFmpeg lacks the decoder", AVERROR_DECODER_NOT_FOUND);
        FCodec = avcodec_alloc_context3(Decoder);
        FPacket = av_packet_alloc();
        FFrame = av_frame_alloc();
        if (FCodec == nullptr || FPacket == nullptr || FFrame == nullptr)
            throw TReaderError("out of memory", AVERROR(ENOMEM));
        Check(avcodec_parameters_to_context(FCodec, Parameters), "bad stream parameters");
        Check(avcodec_open2(FCodec, Decoder, nullptr), "cannot open the decoder");
    } catch (...) {
        Release();
        throw;
    }
}

TAudioReader::~TAudioReader() { Release(); }

void TAudioReader::Release()
{
    av_frame_free(&FFrame);
    av_packet_free(&FPacket);
    avcodec_free_context(&FCodec);
    avformat_close_input(&FFormat);
}

AVStream* TAudioReader::Stream() const { return FFormat->streams[FStreamIndex]; }

int TAudioReader::Channels() const { return FCodec->ch_layout.nb_channels; }

const AVFrame* TAudioReader::NextFrame()
{
    for (;;) {
        const int Received = avcodec_receive_frame(FCodec, FFrame);
        if (Received == 0) {
            FFramePosition = FNextPosition;
            FNextPosition += FFrame->nb_samples;
            return FFrame;
        }
        if (Received == AVERROR_EOF)
            return nullptr;
        if (Received != AVERROR(EAGAIN))
            Check(Received, "cannot decode");
        if (FFlushed)
            return nullptr;
        const int Read = av_read_frame(FFormat, FPacket);
        // A cut file ends where its data ends: what was decoded so far stands.
        if (Read == AVERROR_EOF || (Read < 0 && FFormat->pb != nullptr && avio_feof(FFormat->pb))) {
            Check(avcodec_send_packet(FCodec, nullptr), "cannot decode");
            FFlushed = true;
            continue;
        }
        Check(Read, "cannot read");
        if (FPacket->stream_index == FStreamIndex) {
            if (!FHaveBase) {
                FNextPosition = FPacket->pts != AV_NOPTS_VALUE ? FPacket->pts : 0;
                FHaveBase = true;
            }
            const int Sent = avcodec_send_packet(FCodec, FPacket);
            av_packet_unref(FPacket);
            Check(Sent, "cannot decode");
        } else {
            av_packet_unref(FPacket);
        }
    }
}

void TAudioReader::Seek(int64_t Pts)
{
    Check(av_seek_frame(FFormat, FStreamIndex, Pts, AVSEEK_FLAG_BACKWARD), "cannot seek");
    avcodec_flush_buffers(FCodec);
    FFlushed = false;
    FHaveBase = false;
    FNextPosition = 0;
}

void TAudioReader::Interleave(const AVFrame* Frame, int Channels, int Bits, int32_t* Out)
{
    const auto Format = static_cast<AVSampleFormat>(Frame->format);
    const bool Planar = av_sample_fmt_is_planar(Format) != 0;
    const AVSampleFormat Packed = av_get_packed_sample_fmt(Format);
    if (Frame->ch_layout.nb_channels != Channels)
        throw TReaderError("the channel count changed mid-stream");
    const int Count = Frame->nb_samples;
    for (int I = 0; I < Count; ++I) {
        for (int C = 0; C < Channels; ++C) {
            const uint8_t* Plane = Frame->extended_data[Planar ? C : 0];
            const int Index = Planar ? I : I * Channels + C;
            int32_t Value = 0;
            switch (Packed) {
            case AV_SAMPLE_FMT_U8:
                Value = static_cast<int32_t>(Plane[Index]) - 128;
                break;
            case AV_SAMPLE_FMT_S16:
                Value = reinterpret_cast<const int16_t*>(Plane)[Index];
                break;
            case AV_SAMPLE_FMT_S32:
                // Deep samples arrive at the top of the 32 bits.
                Value = reinterpret_cast<const int32_t*>(Plane)[Index] >> (Bits < 32 ? 32 - Bits : 0);
                break;
            default:
                throw TReaderError("unexpected sample format");
            }
            *Out++ = Value;
        }
    }
}

} // namespace ffaudio
