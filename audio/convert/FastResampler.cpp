// SPDX-License-Identifier: GPL-3.0-or-later
#include "FastResampler.h"

#include "audio/core/AuException.h"
#include "audio/core/AuProcs.h"
#include "audio/core/Rounding.h"

#include <algorithm>
#include <string>

namespace au {

namespace {

// Blocks hold a fifth of a second.
constexpr uint32_t BlocksPerSecond = 5;

// Frames a block may take at either rate: a fifth of a second at 1.3 MHz, far
// above any audio file, while a rate read from a damaged file or settings cannot
// make the buffers, which all grow with the block, take more than some tens of
// megabytes.
constexpr uint64_t MaxBlockFrames = uint64_t{1} << 18;

TAuInput& AssignedInput(TAuInput* Source)
{
    if (Source == nullptr)
        throw EAuException("Input is not assigned");
    return *Source;
}

} // namespace

TFastResampler::~TFastResampler()
{
    Destroying();
}

int TFastResampler::GetBitsPerSample()
{
    return AssignedInput(FInput).BitsPerSample();
}

int TFastResampler::GetChannels()
{
    return AssignedInput(FInput).Channels();
}

int TFastResampler::GetSampleRate()
{
    AssignedInput(FInput);
    return static_cast<int>(FOutSampleRate.load());
}

void TFastResampler::CheckFormat(int Bits, int Channels, int InRate) const
{
    if (Bits != 8 && Bits != 16 && Bits != 24 && Bits != 32)
        throw EAuException("Cannot resample audio of " + std::to_string(Bits) +
                           " bits per sample (8, 16, 24 or 32 only)");
    if (Channels < 1 || Channels > MaxChannels)
        throw EAuException("Cannot resample audio with " + std::to_string(Channels) + " channels (1 to " +
                           std::to_string(MaxChannels) + " only)");
    for (const int64_t Rate : {int64_t{InRate}, int64_t{FOutSampleRate.load()}})
        if (Rate < static_cast<int64_t>(BlocksPerSecond))
            throw EAuException("Cannot resample at " + std::to_string(Rate) + " Hz (5 Hz or more only)");
}

void TFastResampler::DoInit()
{
    TAuInput& Source = AssignedInput(FInput);
    Source.Init();
    const int Bits = Source.BitsPerSample();
    const int Channels = Source.Channels();
    const int InRate = Source.SampleRate();
    const int64_t InputSize = Source.Size();

    const uint64_t BytesPerSample = static_cast<uint64_t>(std::max(Bits, 0)) >> 3;
    const uint64_t FrameSize = static_cast<uint64_t>(std::max(Channels, 0)) * BytesPerSample;
    const uint64_t InFrames = static_cast<uint64_t>(std::max(InRate, 0)) / BlocksPerSecond;
    const uint64_t OutFrames = FOutSampleRate / BlocksPerSecond;
    const uint64_t InBytes = InFrames * FrameSize;
    const uint64_t OutBytes = OutFrames * FrameSize;
    FPassThrough = InBytes == OutBytes;
    if (!FPassThrough) {
        CheckFormat(Bits, Channels, InRate);
        const uint64_t Capacity =
            InFrames < OutFrames ? std::max<uint64_t>(2, (OutFrames + InFrames - 1) / InFrames) * InFrames
                                 : InFrames;
        if (Capacity > MaxBlockFrames)
            throw EAuException("Cannot resample between " + std::to_string(InRate) + " Hz and " +
                               std::to_string(FOutSampleRate.load()) + " Hz (blocks too large)");
        FCapacity = static_cast<uint32_t>(Capacity);
    }

    FBusy = true;
    FBytesPerSample = static_cast<uint32_t>(BytesPerSample);
    FFrameSize = static_cast<uint32_t>(FrameSize);
    FChannels = static_cast<uint32_t>(std::max(Channels, 0));
    FPosition = 0;
    FBufStart = 0;
    FBufEnd = 0;
    FInBlockFrames = static_cast<uint32_t>(InFrames);
    FOutBlockFrames = static_cast<uint32_t>(OutFrames);
    FInBlockBytes = static_cast<uint32_t>(InBytes);
    FOutBlockBytes = static_cast<uint32_t>(OutBytes);
    FSize = InputSize;
    if (FPassThrough)
        return;
    if (InputSize > 0) {
        // Whole frames: a sink that pads or cuts to Size must not end inside one.
        const int64_t Estimate = RoundToEven(static_cast<long double>(InputSize) * OutBytes / InBytes);
        FSize = Estimate - Estimate % static_cast<int64_t>(FrameSize);
    }

    FBytes.assign(size_t{FFrameSize} * FCapacity, 0);
    FFloats.assign(size_t{FChannels} * FCapacity, 0.0f);
    FWork.assign(size_t{FChannels} * FCapacity, 0.0f);
    // The filter runs at the higher rate; its corner sits at 0.425 x the lower one.
    const double Ratio = static_cast<double>(std::min(InBytes, OutBytes)) / std::max(InBytes, OutBytes);
    FFilter.Start(DesignChebyshevLowPass(0.85 * Ratio / 2), FChannels, FHelperThreads);
    FReader.Start(FInput, FInBlockBytes, FHelperThreads);
}

void TFastResampler::SetInput(TAuInput* Value)
{
    std::lock_guard<std::recursive_mutex> Guard(FDataLock);
    FReader.Discard();
    TAuConverter::SetInput(Value);
}

void TFastResampler::DoFlush()
{
    // No read of the input may be under way when it is flushed.
    FReader.Release();
    if (TAuInput* Source = FInput)
        Source->Flush();
    FBytes = {};
    FFloats = {};
    FWork = {};
    FFilter.Release();
    // A flushed input must not be read through a stale pass-through either.
    FPassThrough = false;
    FBusy = false;
}

void TFastResampler::CopyFrame(const float* From, float* To) const
{
    // A frame is a few values: a library call per frame would cost more than
    // the copy.
    for (uint32_t C = 0; C < FChannels; ++C)
        To[C] = From[C];
}

uint32_t TFastResampler::Upsample(uint32_t Frames)
{
    // Each input frame is repeated as the step counter says: the first frame of
    // a block once, then about Ro / Ri times.
    const float* In = FFloats.data();
    float* Expanded = FWork.data();
    uint32_t Produced = 0;
    int64_t Step = 0;
    for (uint32_t I = 0; I < Frames;) {
        CopyFrame(In + size_t{I} * FChannels, Expanded + size_t{Produced++} * FChannels);
        Step -= FInBlockBytes;
        if (Step < 0) {
            Step += FOutBlockBytes;
            ++I;
        }
    }
    FFilter.Run(Expanded, FFloats.data(), Produced);
    return Produced;
}

uint32_t TFastResampler::Downsample(uint32_t Frames)
{
    const float* Filtered = FWork.data();
    FFilter.Run(FFloats.data(), FWork.data(), Frames);
    // The first frame of every block is taken, then every Ri / Ro-th or so.
    uint32_t Picked = 0;
    int64_t Step = 0;
    for (uint32_t I = 0; I < Frames; ++I) {
        Step -= FOutBlockBytes;
        if (Step < 0) {
            CopyFrame(Filtered + size_t{I} * FChannels, FFloats.data() + size_t{Picked++} * FChannels);
            Step += FInBlockBytes;
        }
    }
    return Picked;
}

void TFastResampler::Refill()
{
    FBufStart = 0;
    const uint32_t Got = FReader.Next(FBytes.data());
    FBufEnd = Got;
    if (Got == 0)
        return;
    SamplesToFloat(FBytes.data(), static_cast<int>(FBytesPerSample), FFloats.data(), Got / FBytesPerSample);
    const uint32_t Frames = Got / FFrameSize;
    const uint32_t Produced = FInBlockFrames < FOutBlockFrames ? Upsample(Frames) : Downsample(Frames);
    const size_t Samples = size_t{Produced} * FChannels;
    FloatToSamples(FFloats.data(), static_cast<int>(FBytesPerSample), FBytes.data(), Samples);
    FBufEnd = static_cast<uint32_t>(Samples * FBytesPerSample);
}

void TFastResampler::DoGetData(uint8_t*& Buffer, uint32_t& Bytes)
{
    if (FPassThrough) {
        AssignedInput(FInput).GetData(Buffer, Bytes);
        return;
    }
    if (!FBusy)
        throw EAuException("The Stream is not opened");
    if (FBufStart >= FBufEnd) {
        Refill();
        if (FBufEnd == 0) {
            Buffer = nullptr;
            Bytes = 0;
            return;
        }
    }
    Bytes = std::min(Bytes, FBufEnd - FBufStart);
    Buffer = FBytes.data() + FBufStart;
    FBufStart += Bytes;
}

} // namespace au
