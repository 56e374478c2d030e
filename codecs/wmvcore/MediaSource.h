// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WMFInterface.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace wmvcore {

struct TPcmFormat {
    uint32_t Channels = 0;
    uint32_t SampleRate = 0;
    uint32_t BitsPerSample = 0; // 8, 16, 24 or 32
};

// Leaves new elements uninitialised: every PCM buffer is filled by the
// converter right after it grows, and zeroing it first cost as much as a
// tenth of a decode.
template <typename T> struct TNoFillAllocator : std::allocator<T> {
    template <typename U> struct rebind {
        using other = TNoFillAllocator<U>;
    };
    TNoFillAllocator() = default;
    template <typename U> TNoFillAllocator(const TNoFillAllocator<U>&) noexcept {}
    template <typename U> void construct(U* At) noexcept { ::new (static_cast<void*>(At)) U; }
    template <typename U, typename... A> void construct(U* At, A&&... Args)
    {
        ::new (static_cast<void*>(At)) U(std::forward<A>(Args)...);
    }
};

using TPcmBuffer = std::vector<uint8_t, TNoFillAllocator<uint8_t>>;

inline bool operator==(const TPcmFormat& A, const TPcmFormat& B)
{
    return A.Channels == B.Channels && A.SampleRate == B.SampleRate && A.BitsPerSample == B.BitsPerSample;
}

// The audio stream of an ASF or MPEG audio file, demuxed and decoded by FFmpeg
// and converted to interleaved little-endian PCM of the chosen output format.
// Reads the file only through the IStream it was opened on, which must outlive it.
// Not thread-safe: one caller at a time.
class TMediaSource {
public:
    // Null when the stream holds neither container, no audio stream of a Windows
    // Media or MPEG layer 3 codec, or one FFmpeg cannot open.
    static std::unique_ptr<TMediaSource> Open(wmf::IStream& Stream);
    ~TMediaSource();
    TMediaSource(const TMediaSource&) = delete;
    TMediaSource& operator=(const TMediaSource&) = delete;

    bool IsAsf() const;
    uint32_t Channels() const { return FChannels; }
    uint32_t SampleRate() const { return FSampleRate; }
    // True when the source was coded with more than 16 bits a sample.
    bool Deep() const { return FDeep; }
    // Bits per second; 0 when unknown.
    uint32_t Bitrate() const;
    // FFmpeg's idea of the length, in 100-ns units; 0 when unknown.
    uint64_t Duration() const;
    // The FFmpeg metadata value of Key, without a terminator; empty when
    // absent. Malformed UTF-8 becomes U+FFFD.
    std::u16string Tag(const char* Key) const;
    int StreamIndex() const { return FStreamIndex; }

    // A picture the file carries (ASF WM/Picture, ID3v2 APIC); Data stays
    // valid as long as the source.
    struct TPicture {
        std::string Mime;
        uint8_t Type = 3;
        std::u16string Description;
        const uint8_t* Data = nullptr;
        size_t Size = 0;
    };
    std::vector<TPicture> Pictures() const;

    // The format Next delivers from now on.
    void SetOutput(const TPcmFormat& Format);
    // Decodes on to the next non-empty piece of PCM (whole frames, replacing
    // Pcm's content) and its start time in 100-ns units. Damaged packets are
    // skipped; false at the end of the stream.
    bool Next(TPcmBuffer& Pcm, uint64_t& Time);
    // Moves to the key point at or before Time (100-ns units).
    bool Seek(uint64_t Time);

private:
    struct TState;
    explicit TMediaSource(std::unique_ptr<TState> State);
    bool Convert(TPcmBuffer& Pcm, bool Flush);

    std::unique_ptr<TState> FState;
    uint32_t FChannels = 0;
    uint32_t FSampleRate = 0;
    bool FDeep = false;
    int FStreamIndex = -1;
};

} // namespace wmvcore
