// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioConverter.h"

#include "audio/core/AuException.h"
#include "audio/core/AuProcs.h"
#include "audio/core/Rounding.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace au {

namespace {

bool IsConvertibleDepth(int Bits)
{
    return Bits == 8 || Bits == 16 || Bits == 24 || Bits == 32;
}

} // namespace

TAudioConverter::~TAudioConverter()
{
    Destroying();
}

int TAudioConverter::GetBitsPerSample()
{
    if (const int Bits = FOutBitsPerSample; Bits != 0)
        return Bits;
    TAuInput* Source = FInput;
    return Source != nullptr ? Source->BitsPerSample() : 0;
}

int TAudioConverter::GetChannels()
{
    TAuInput* Source = FInput;
    if (Source == nullptr)
        return 0;
    const int InChannels = Source->Channels();
    const int Wanted = FOutChannels;
    if ((Wanted == 1 || Wanted == 2) && (InChannels == 1 || InChannels == 2))
        return Wanted;
    return InChannels;
}

int TAudioConverter::GetSampleRate()
{
    TAuInput* Source = FInput;
    return Source != nullptr ? Source->SampleRate() : 0;
}

void TAudioConverter::CheckFormat(int InBits, int InChannels) const
{
    if (FPassThrough)
        return;
    if (InChannels < 1)
        throw EAuException("Cannot convert audio with " + std::to_string(InChannels) + " channels");
    for (const int Bits : {InBits, FOutBits})
        if (!IsConvertibleDepth(Bits))
            throw EAuException("Cannot convert audio of " + std::to_string(Bits) +
                               " bits per sample (8, 16, 24 or 32 only)");
}

void TAudioConverter::ComputeSize(int64_t InputSize, int InBits, int InChannels)
{
    const int64_t InFrameBits = int64_t{InBits} * InChannels;
    const int64_t OutFrameBits = int64_t{FOutBits} * FOutChannelCount;
    if (InputSize < 0 || InFrameBits <= 0 || OutFrameBits <= 0) {
        FSize = InputSize < 0 ? -1 : InputSize;
        return;
    }
    int64_t Converted = RoundToEven(static_cast<long double>(InputSize) * OutFrameBits / InFrameBits);
    if (const int64_t OutFrame = OutFrameBits >> 3; OutFrame > 0)
        Converted -= Converted % OutFrame;
    FSize = Converted;
}

void TAudioConverter::DoInit()
{
    TAuInput* Source = FInput;
    if (Source == nullptr)
        throw EAuException("Input is not assigned");
    Source->Init();
    const int InBits = Source->BitsPerSample();
    const int InChannels = Source->Channels();
    FOutBits = GetBitsPerSample();
    const int OutChannels = GetChannels();
    // The same format in and out must not cost a round trip through float,
    // which would scale every 16-bit sample by 32767/32768.
    FPassThrough = FOutBits == InBits && OutChannels == InChannels;
    CheckFormat(InBits, InChannels);

    FBusy = true;
    FPosition = 0;
    FInChannels = static_cast<uint32_t>(std::max(InChannels, 0));
    FOutChannelCount = static_cast<uint32_t>(std::max(OutChannels, 0));
    FInBytesPerSample = static_cast<uint32_t>(std::max(InBits, 0)) / 8;
    FOutBytesPerSample = static_cast<uint32_t>(std::max(FOutBits, 0)) / 8;
    ComputeSize(Source->Size(), InBits, InChannels);
    FCapacity = 0;
    FOutBuffer = {};
    FFloatBuffer = {};
    FStaging = {};
}

void TAudioConverter::DoFlush()
{
    if (TAuInput* Source = FInput)
        Source->Flush();
    FCapacity = 0;
    FOutBuffer = {};
    FFloatBuffer = {};
    FStaging = {};
    FBusy = false;
}

void TAudioConverter::Reserve(uint32_t Frames)
{
    if (Frames <= FCapacity)
        return;
    FCapacity = Frames;
    FOutBuffer.resize(size_t{FCapacity} * FOutBytesPerSample * FOutChannelCount);
    // 16-bit input is converted in integers, straight into the output buffer.
    if (FInBytesPerSample != 2)
        FFloatBuffer.resize(size_t{FCapacity} * std::max(FInChannels, FOutChannelCount));
}

void TAudioConverter::CompleteLastFrame(TAuInput& Source, uint8_t*& Data, uint32_t& Bytes)
{
    const uint32_t InFrame = FInBytesPerSample * FInChannels;
    const uint32_t Partial = Bytes % InFrame;
    if (Partial == 0)
        return;
    // Data stays valid only until the input's next call, so keep it first.
    if (FStaging.size() < size_t{Bytes} + InFrame)
        FStaging.resize(size_t{Bytes} + InFrame);
    std::memcpy(FStaging.data(), Data, Bytes);
    bool EndReached = false;
    const uint32_t Missing = InFrame - Partial;
    const uint32_t Got = Source.FillBuffer(FStaging.data() + Bytes, Missing, EndReached);
    Data = FStaging.data();
    Bytes = Got == Missing ? Bytes + Missing : Bytes - Partial;
}

void TAudioConverter::DoGetData(uint8_t*& Buffer, uint32_t& Bytes)
{
    TAuInput* Source = FInput;
    // The input may have been taken away while the converter was running.
    if (Source == nullptr)
        throw EAuException("Input is not assigned");
    if (FPassThrough) {
        Source->GetData(Buffer, Bytes);
        return;
    }
    const uint32_t InFrame = FInBytesPerSample * FInChannels;
    const uint32_t OutFrame = FOutBytesPerSample * FOutChannelCount;
    // Shrinking to 8-bit mono asks the input for up to eight times the bytes.
    const uint32_t Frames = std::min(Bytes / OutFrame, std::numeric_limits<uint32_t>::max() / InFrame);
    uint8_t* Data = nullptr;
    uint32_t Given = Frames * InFrame;
    Source->GetData(Data, Given);
    if (Data == nullptr || Given == 0) {
        Buffer = nullptr;
        Bytes = 0;
        return;
    }
    CompleteLastFrame(*Source, Data, Given);
    const uint32_t Got = Given / InFrame;
    Reserve(Got);
    Buffer = FOutBuffer.data();
    Bytes = Got * OutFrame;
    if (FInBytesPerSample == 2) {
        SixteenBitsTo(Data, FInChannels, static_cast<int>(FOutBytesPerSample), FOutChannelCount, FOutBuffer.data(), Got);
        return;
    }
    float* Values = FFloatBuffer.data();
    SamplesToFloat(Data, static_cast<int>(FInBytesPerSample), Values, size_t{Got} * FInChannels);
    if (FOutChannelCount == 2 && FInChannels == 1)
        MonoToStereo(Values, Got);
    else if (FOutChannelCount == 1 && FInChannels == 2)
        StereoToMono(Values, Got);
    FloatToSamples(Values, static_cast<int>(FOutBytesPerSample), FOutBuffer.data(),
                   size_t{Got} * FOutChannelCount);
}

} // namespace au
