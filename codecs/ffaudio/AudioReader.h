// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The decoding loop the TrueAudio and Monkey's Audio components share: one audio
// stream of an opened container, decoded frame by frame. Internal to the
// components; its exceptions are turned into their C results before they return.

#include <cstdint>
#include <stdexcept>
#include <string>

extern "C" {
struct AVFormatContext;
struct AVIOContext;
struct AVCodecContext;
struct AVStream;
struct AVPacket;
struct AVFrame;
}

namespace ffaudio {

// A failure with FFmpeg's error code (0 when it is not one of FFmpeg's).
class TReaderError : public std::runtime_error {
public:
    TReaderError(const std::string& Text, int Code = 0) : std::runtime_error(Text), FCode(Code) {}
    int Code() const { return FCode; }

private:
    int FCode;
};

// Opens Url (or the custom Io when given, which the caller keeps owning) with the
// demuxer named FormatName only: a file of another kind is refused rather than
// decoded as whatever it turns out to be.
AVFormatContext* OpenInput(const char* Url, AVIOContext* Io, const char* FormatName);

class TAudioReader {
public:
    // Takes the opened Format over (it is closed with the reader, or at once
    // when this throws) and opens the decoder of its first audio stream.
    explicit TAudioReader(AVFormatContext* Format);
    ~TAudioReader();
    TAudioReader(const TAudioReader&) = delete;
    TAudioReader& operator=(const TAudioReader&) = delete;

    AVFormatContext* Format() const { return FFormat; }
    AVStream* Stream() const;
    int Channels() const;

    // The next decoded frame, null at the end of the stream; valid until the
    // next call. Throws TReaderError on a read or decoding failure.
    const AVFrame* NextFrame();
    // Where the frame NextFrame gave last starts, in samples: counted from the
    // first packet read since the open or the last seek.
    int64_t FramePosition() const { return FFramePosition; }
    // Moves to the packet at or before Pts (stream time base) and empties the decoder.
    void Seek(int64_t Pts);

    // Frame's samples as 32-bit values at the stream's own scale (Bits deep,
    // 8-bit ones signed), interleaved, Channels per sample frame. Throws when
    // the frame holds another channel count or an unexpected sample format.
    static void Interleave(const AVFrame* Frame, int Channels, int Bits, int32_t* Out);

private:
    void Release();

    AVFormatContext* FFormat = nullptr;
    AVCodecContext* FCodec = nullptr;
    AVPacket* FPacket = nullptr;
    AVFrame* FFrame = nullptr;
    int FStreamIndex = -1;
    bool FFlushed = false;
    bool FHaveBase = false;
    int64_t FNextPosition = 0;
    int64_t FFramePosition = 0;
};

} // namespace ffaudio
